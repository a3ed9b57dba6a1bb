// What the GNOME Shell tests ask of the shell itself, over the session bus:
// hide the overview 43 starts in, click through a virtual pointer, look at
// and arrange windows, and take screenshots as raw pixels.
const TEST_INTERFACE = `
<node>
  <interface name="io.github.walkers.Test">
    <method name="HideOverview">
      <arg type="b" direction="out" name="busy"/>
      <arg type="s" direction="out" name="why"/>
    </method>
    <method name="Click">
      <arg type="i" direction="in" name="x"/>
      <arg type="i" direction="in" name="y"/>
    </method>
    <method name="Focused">
      <arg type="s" direction="out" name="title"/>
      <arg type="i" direction="out" name="x"/>
      <arg type="i" direction="out" name="y"/>
      <arg type="i" direction="out" name="width"/>
      <arg type="i" direction="out" name="height"/>
    </method>
    <method name="Activate">
      <arg type="s" direction="in" name="title"/>
      <arg type="b" direction="out" name="found"/>
    </method>
    <method name="Move">
      <arg type="s" direction="in" name="title"/>
      <arg type="i" direction="in" name="x"/>
      <arg type="i" direction="in" name="y"/>
      <arg type="i" direction="in" name="width"/>
      <arg type="i" direction="in" name="height"/>
      <arg type="b" direction="out" name="found"/>
    </method>
    <method name="Screenshot">
      <arg type="s" direction="in" name="path"/>
      <arg type="i" direction="out" name="width"/>
      <arg type="i" direction="out" name="height"/>
      <arg type="i" direction="out" name="rowstride"/>
      <arg type="i" direction="out" name="channels"/>
    </method>
  </interface>
</node>`;

class ExtensionBody {
    enable() {
        this._exported = Gio.DBusExportedObject.wrapJSObject(TEST_INTERFACE, this);
        this._exported.export(Gio.DBus.session, '/io/github/walkers/Test');
        // Events sent right after the device is made are lost: it is made
        // here, long before the first click.
        // The stage's context has the backend from 47 on; 43 has only the default one.
        const backend = global.stage.context?.get_backend?.() ?? Clutter.get_default_backend();
        const seat = backend.get_default_seat();
        this._pointer = seat.create_virtual_device(Clutter.InputDeviceType.POINTER_DEVICE);
        // The overview the shell opens as it starts (43 and 48 do) covers
        // the windows: it is closed once the start is complete, never
        // before, since hiding it stops the start-up animation whose end
        // completes the start, and the shell would stay starting for good.
        const hide = () => {
            if (!Main.layoutManager._startingUp && Main.overview.visible)
                Main.overview.hide();
        };
        this._shownSignal = Main.overview.connect('shown', hide);
        this._startedSignal = Main.layoutManager.connect('startup-complete', hide);
    }

    disable() {
        Main.overview.disconnect(this._shownSignal);
        Main.layoutManager.disconnect(this._startedSignal);
        this._exported.unexport();
        this._exported = null;
        this._pointer = null;
    }

    // True while the shell still starts or the overview still shows.
    HideOverview() {
        const starting = Main.layoutManager._startingUp;
        if (!starting && Main.overview.visible)
            Main.overview.hide();
        const shown = Main.overview.visible;
        return [starting || shown, `starting ${starting}, overview shown ${shown}, ` +
            `animating ${Main.overview.animationInProgress}`];
    }

    ClickAsync([x, y], invocation) {
        this._pointer.notify_absolute_motion(Clutter.CURRENT_TIME, x, y);
        const later = (ms, then) => GLib.timeout_add(GLib.PRIORITY_DEFAULT, ms, () => {
            then();
            return GLib.SOURCE_REMOVE;
        });
        later(60, () => {
            this._pointer.notify_button(Clutter.CURRENT_TIME, Clutter.BUTTON_PRIMARY,
                Clutter.ButtonState.PRESSED);
            later(40, () => {
                this._pointer.notify_button(Clutter.CURRENT_TIME, Clutter.BUTTON_PRIMARY,
                    Clutter.ButtonState.RELEASED);
                later(40, () => invocation.return_value(null));
            });
        });
    }

    Focused() {
        const window = global.display.focus_window;
        if (!window)
            return ['', 0, 0, 0, 0];
        const frame = window.get_frame_rect();
        return [window.get_title() ?? '', frame.x, frame.y, frame.width, frame.height];
    }

    _find(title) {
        const actor = global.get_window_actors().find(a => a.meta_window.get_title() === title);
        return actor ? actor.meta_window : null;
    }

    Activate(title) {
        const window = this._find(title);
        if (window)
            window.activate(global.get_current_time());
        return window !== null;
    }

    Move(title, x, y, width, height) {
        const window = this._find(title);
        if (window)
            window.move_resize_frame(true, x, y, width, height);
        return window !== null;
    }

    ScreenshotAsync([path], invocation) {
        const png = `${path}.png`;
        const stream = Gio.File.new_for_path(png).replace(null, false, Gio.FileCreateFlags.NONE, null);
        new Shell.Screenshot().screenshot(false, stream, (shooter, result) => {
            try {
                shooter.screenshot_finish(result);
                stream.close(null);
                const image = GdkPixbuf.Pixbuf.new_from_file(png);
                GLib.file_set_contents(path, image.get_pixels());
                invocation.return_value(new GLib.Variant('(iiii)', [image.get_width(),
                    image.get_height(), image.get_rowstride(), image.get_n_channels()]));
            } catch (e) {
                invocation.return_error_literal(Gio.DBusError, Gio.DBusError.FAILED, `${e}`);
            }
        });
    }
}
