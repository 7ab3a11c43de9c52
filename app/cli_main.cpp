#include <clocale>
#include <iostream>

#include "app/CliRunner.h"

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    return vorlanex::cli::RunCli({argv + 1, argv + argc}, std::cout, std::cerr);
}
