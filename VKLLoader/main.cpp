#include "LaunchNotice.h"
#include "RunScript.h"

#include "platform/Bundle.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    int status = 0;
    {
        QCoreApplication app(argc, argv);
        status = RunScript::Launch(Bundle::mainBundle().bundlePath());
    }
    LaunchNotice::showPending(argc, argv);
    return status;
}
