// The host's program entry: the simulated machine must be there before the
// framework starts the application.
#include "framework/afxwin.h"
#include "platform/host/host.h"

int main()
{
    RequireMachine();
    return AfxWinMain(nullptr);
}
