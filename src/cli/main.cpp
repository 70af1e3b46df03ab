#include "cli/CliRunner.h"

int main(int argc, char** argv) {
    return dax::RunCli(argc, argv);
}
