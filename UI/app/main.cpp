#include "AppMain.h"

int main(int argc, char *argv[])
{
    return NullwellMain(argc, argv);
}
