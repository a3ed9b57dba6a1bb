// Each test runs the toolkit on the real Win32 backend, on the display the
// runner gives it (Wine on a virtual X display, or Windows itself).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/win32_backend.h"
#include "tests/support/test_forms.h"
#include "tests/toolkit_conformance/message_record.h"

using Events = std::vector<std::string>;

class Win32Test : public ::testing::Test {
protected:
    Win32Test() { g_script = &script; }
    ~Win32Test() override
    {
        toolkit::EndRun(); // forms a test loaded without running them
        InstallBackend(nullptr);
        g_script = nullptr;
    }

    // Installs the backend and runs F as the start-up form until the
    // program ends; a program still running after `limit_ms` is stopped
    // (status kGivenUpStatus).
    template <class F>
    int RunStartup(int limit_ms = 5000)
    {
        InstallBackend(&backend);
        UINT_PTR watchdog = SetTimer(nullptr, 0, UINT(limit_ms), &Win32Test::Watchdog);
        int status = toolkit::RunStartupForm(toolkit::Instance<F>());
        KillTimer(nullptr, watchdog);
        return status;
    }

    // Pumps messages for `ms` milliseconds, outside any run.
    static void Pump(int ms)
    {
        const DWORD end = GetTickCount() + DWORD(ms);
        while (LONG(end - GetTickCount()) > 0) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            Sleep(5);
        }
    }

    Win32Backend win32;
    // Message boxes are recorded, not shown: a test cannot hang on one.
    MessageRecord backend{win32};
    TestScript script;

private:
    static void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(kGivenUpStatus); }
};
