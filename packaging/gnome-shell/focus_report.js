// Tells walkers which window has the focus and where its frame is, so the
// figures can stand on it: one object on the session bus under the shell's
// own name, a method that answers at once and a signal on every change of
// the focus, the focused window's title or its frame. It draws nothing and
// keeps nothing but its signal connections.
const FOCUS_INTERFACE = `
<node>
  <interface name="io.github.walkers.Focus">
    <method name="Focused">
      <arg type="t" direction="out" name="id"/>
      <arg type="s" direction="out" name="title"/>
      <arg type="i" direction="out" name="x"/>
      <arg type="i" direction="out" name="y"/>
      <arg type="i" direction="out" name="width"/>
      <arg type="i" direction="out" name="height"/>
      <arg type="b" direction="out" name="x11"/>
    </method>
    <signal name="FocusChanged">
      <arg type="t" name="id"/>
      <arg type="s" name="title"/>
      <arg type="i" name="x"/>
      <arg type="i" name="y"/>
      <arg type="i" name="width"/>
      <arg type="i" name="height"/>
      <arg type="b" name="x11"/>
    </signal>
  </interface>
</node>`;
const FOCUS_PATH = '/io/github/walkers/Focus';
const WINDOW_CHANGES = ['notify::title', 'position-changed', 'size-changed'];

class ExtensionBody {
    enable() {
        this._window = null;
        this._windowSignals = [];
        this._exported = Gio.DBusExportedObject.wrapJSObject(FOCUS_INTERFACE, this);
        this._exported.export(Gio.DBus.session, FOCUS_PATH);
        this._focusSignal = global.display.connect('notify::focus-window', () => this._follow());
        this._follow();
    }

    disable() {
        this._release();
        global.display.disconnect(this._focusSignal);
        this._exported.unexport();
        this._exported = null;
    }

    // The method: id 0 when no window has the focus.
    Focused() {
        return this._report();
    }

    _follow() {
        this._release();
        const window = global.display.focus_window;
        if (window) {
            this._window = window;
            this._windowSignals = WINDOW_CHANGES.map(name => window.connect(name, () => this._tell()));
        }
        this._tell();
    }

    _release() {
        for (const id of this._windowSignals)
            this._window.disconnect(id);
        this._window = null;
        this._windowSignals = [];
    }

    _report() {
        const window = this._window;
        if (!window)
            return [0, '', 0, 0, 0, 0, false];
        const frame = window.get_frame_rect();
        return [window.get_id(), window.get_title() ?? '', frame.x, frame.y, frame.width,
            frame.height, window.get_client_type() === Meta.WindowClientType.X11];
    }

    _tell() {
        this._exported.emit_signal('FocusChanged', new GLib.Variant('(tsiiiib)', this._report()));
    }
}
