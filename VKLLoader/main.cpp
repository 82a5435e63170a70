#include "RunScript.h"

#include "platform/Bundle.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Whatever happened (a cancelled prompt included) was the user's answer: nothing to report.
    RunScript::RunTool(RunScript::mainProgramPath(Bundle::mainBundle().bundlePath()));
    return 0;
}
