#include "ToolApp.h"

int main(int argc, char** argv)
{
    ToolApp toolApp;
    return toolApp.run(argc, argv);
}
