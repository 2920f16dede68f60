// tunerdeck.exe: the application object does the program's whole work in
// its start-up routine and never enters a message loop of its own.
#include <windows.h>

#include "app_frame.h"
#include "app_start.h"

namespace {

class cPlayerApp : public appframe::Application {
public:
    BOOL InitInstance() override {
        td::RunPlayerApplication(CommandLine());
        return FALSE;
    }
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    static cPlayerApp app;
    return app.Main(instance, td::CommandLineTail(GetCommandLineA()));
}
