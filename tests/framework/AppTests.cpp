#include "framework/WinApp.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class StopAtInit : public CWinApp {
public:
    int initCalls = 0;
    BOOL InitInstance() override {
        ++initCalls;
        EXPECT_EQ(::GetModuleHandleW(nullptr), m_hInstance);
        return FALSE;
    }
    int ExitInstance() override { return 17; }
};

TEST(Application, ConstructorRegistersTheSingleObject) {
    StopAtInit app;
    EXPECT_EQ(&app, AfxGetApp());
    EXPECT_EQ(nullptr, app.m_pMainWnd);
    EXPECT_EQ(0u, app.m_dwRestartManagerSupportFlags);
}

TEST(Application, InitInstanceFalseEndsWithExitInstanceCode) {
    StopAtInit app;
    EXPECT_EQ(17, AfxWinMain(::GetModuleHandleW(nullptr), SW_SHOWNORMAL));
    EXPECT_EQ(1, app.initCalls);
}

TEST(Application, RunLoopsUntilQuitAndReturnsItsCode) {
    class Looping : public CWinApp {
    public:
        BOOL InitInstance() override {
            ::PostQuitMessage(23);
            return TRUE;
        }
    } app;
    EXPECT_EQ(23, AfxWinMain(::GetModuleHandleW(nullptr), SW_SHOWNORMAL));
}

TEST(Application, ExceptionDoesNotEscapeTheEntry) {
    class Throwing : public CWinApp {
    public:
        BOOL InitInstance() override { throw std::runtime_error("start-up failed"); }
    } app;
    EXPECT_EQ(-1, AfxWinMain(::GetModuleHandleW(nullptr), SW_SHOWNORMAL));
}

}  // namespace
