#include "cli/commands.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>

namespace {

int run(int argc, char** argv)
{
    using namespace qte::cli;
    CLI::App app{"tunetool: ring tone files from the command line. Reads config.cfg from the "
                 "current directory."};
    app.require_subcommand(1);
    int status = 0;

    app.add_subcommand("version", "Print the version")->callback([] {
        std::cout << "tunetool " << QTE_VERSION << "\n";
    });

    std::string listFile;
    CLI::App* list = app.add_subcommand("list", "List the tunes of a Ringdata.h: index, name "
                                                "and the lines of their definitions");
    list->add_option("FILE", listFile, "The Ringdata.h")->required();
    list->callback([&] { status = runList(listFile, std::cout, std::cerr); });

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 1;
    }
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return run(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "tunetool: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "tunetool: unexpected failure\n";
    }
    return 1;
}
