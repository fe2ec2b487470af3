#include "velmar/app/VelmarApp.h"

// The one application object; the framework finds it through AfxGetApp.
CVelmarApp theApp;

int main(int argc, char** argv)
{
    return AfxWinMain(argc, argv);
}
