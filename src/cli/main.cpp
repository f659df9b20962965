#include <CLI/CLI.hpp>

#include <iostream>

int main(int argc, char** argv)
{
    CLI::App app{"tunetool: ring tone files from the command line"};
    app.require_subcommand(1);
    app.add_subcommand("version", "Print the version")->callback([] {
        std::cout << "tunetool " << QTE_VERSION << "\n";
    });
    CLI11_PARSE(app, argc, argv);
    return 0;
}
