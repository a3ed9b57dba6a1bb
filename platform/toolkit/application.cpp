#include "platform/toolkit/application.h"

#include <algorithm>

#include "platform/toolkit/backend.h"
#include "platform/toolkit/runtime_error.h"
#include "platform/toolkit/toolkit_internal.h"

namespace {

Backend* installed = nullptr;
std::vector<Form*> loaded;                 // in load order
std::vector<std::unique_ptr<Form>> kept;   // every form object of this run
unsigned run_generation = 1;

constexpr int kUnloadByCode = 1;

} // namespace

void InstallBackend(Backend* backend) { installed = backend; }

Backend& InstalledBackend()
{
    if (!installed)
        throw RuntimeError(429, "No desktop to show forms on");
    return *installed;
}

namespace toolkit {

void FormLoaded(Form& form)
{
    if (std::find(loaded.begin(), loaded.end(), &form) == loaded.end())
        loaded.push_back(&form);
}

void FormUnloaded(Form& form) { std::erase(loaded, &form); }

Form& Keep(std::unique_ptr<Form> form)
{
    kept.push_back(std::move(form));
    return *kept.back();
}

unsigned RunGeneration() { return run_generation; }

void RunHandler(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const RuntimeError& error) {
        MsgBox(error.Message());
        throw ProgramEnded{1};
    }
}

void LoadStartupForm(Form& form)
{
    RunHandler([&form] {
        form.LoadForm();
        if (form.IsLoaded())
            form.Show();
    });
}

int RunStartupForm(Form& form)
{
    int status = 0;
    try {
        LoadStartupForm(form);
        if (AnyFormLoaded())
            InstalledBackend().RunLoop();
    } catch (const ProgramEnded& end) {
        status = end.status;
    }
    EndRun();
    return status;
}

void EndRun()
{
    // Windows first, while every form object still exists, then the objects.
    for (Form* form : std::vector<Form*>(loaded))
        form->DestroyWithoutEvents();
    loaded.clear();
    kept.clear();
    ++run_generation;
}

} // namespace toolkit

std::vector<Form*> Forms() { return loaded; }

void Unload(Form& form) { form.UnloadForm(kUnloadByCode); }

void DoEvents() { InstalledBackend().ProcessPendingEvents(); }

void MsgBox(const std::string& text) { InstalledBackend().ShowMessage(text); }

void End() { throw ProgramEnded{0}; }

bool AnyFormLoaded() { return !loaded.empty(); }
