#include "cli/commands.h"
#include "config/config_folders.h"
#include "io/files.h"
#include "tune/ringdata_file.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {

using qte::cli::CommandOptions;

// --tune/--index and the options that change how a tune is read.
void addReadOptions(CLI::App& command, CommandOptions& options)
{
    CLI::Option* name = command.add_option(
        "--tune", options.choice.name,
        "The tune of a Ringdata.h by its name, with or without \"[]\" (see \"tunetool list\")");
    CLI::Option* index =
        command
            .add_option("--index", options.choice.index,
                        "The tune of a Ringdata.h by its number in \"tunetool list\", from 1")
            ->check(CLI::Range(1, qte::kMaxCatalogueTunes));
    name->excludes(index);
    command
        .add_option("--track", options.tune.midiLine.track,
                    "The melody line of a .mid file by its track, from 1 (its channel with the "
                    "most notes outside the drums); without it, the line with the most notes")
        ->check(CLI::Range(1, 65535));
    command
        .add_option("--channel", options.tune.midiLine.channel,
                    "The melody line of a .mid file by its channel, from 1 (10 is the drums)")
        ->check(CLI::Range(1, 16));
    command
        .add_option("--style", options.tune.styleMode,
                    "The editor's style mode, given to the .ota and .rtx readers as the "
                    "editor gives it: 0 none, 1 natural, 2 continuous, 3 staccato")
        ->check(CLI::Range(0, 3))
        ->capture_default_str();
    command.add_flag("--keep-natural", options.tune.keepNaturalNotes,
                     "The editor's \"Keep natural notes\" setting, given to the .rtx "
                     "reader as the editor gives it");
    command.add_option("--config", options.configFolder,
                       "Read config.cfg and midihz.ini from this folder only, instead of the "
                       "current directory and then the installed data folder");
}

// The options that change the generated tone text.
void addTextOptions(CLI::App& command, CommandOptions& options)
{
    command.add_flag("--write-tempo,!--no-write-tempo", options.tune.writeTempo,
                     "Name the tempo in the tone text (default: on)");
    command.add_flag("--default-parts", options.tune.addDefaultParts,
                     "Add config.cfg's default starting and ending parts");
}

// The options of the commands that write a file of any kind.
void addWriteOptions(CLI::App& command, CommandOptions& options)
{
    addTextOptions(command, options);
    command.add_flag("--polite", options.tune.playPolitely,
                     "Play politely in a .wav: the polite prefix before the tune");
}

int run(int argc, char** argv)
{
    using namespace qte::cli;
    CLI::App app{"tunetool: ring tone files from the command line. Reads config.cfg and "
                 "midihz.ini from the current directory, else from the installed data folder "
                 "(or the folder given with --config), as the editor does; missing files "
                 "leave the built-in values, and a missing config.cfg is a warning."};
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

    CommandOptions options;
    options.dataFolder = qte::dataFolderFor(qte::executableFolder());
    std::string inFile;
    std::string outFile;

    CLI::App* text = app.add_subcommand(
        "text",
        "Print the tone text of a tune: a single-tone .h file, one tune of a Ringdata.h "
        "(--tune or --index), or an .ota, .rtx, .evt, .mid or .imy file. A tone text that stops at "
        "a line that cannot be read prints what came before it and fails");
    text->add_option("FILE", inFile, "The tune file")->required();
    addReadOptions(*text, options);
    addTextOptions(*text, options);
    text->callback([&] { status = runText(inFile, options, std::cout, std::cerr); });

    CLI::App* info = app.add_subcommand(
        "info", "Print name, ID, tempo, the counts of notes, vibra segments, repeat blocks and "
                "texts, and the length: the end of the last note plus the time a marker or "
                "text reaches past it, in ms (repeat blocks counted once)");
    info->add_option("FILE", inFile, "The tune file")->required();
    addReadOptions(*info, options);
    info->callback([&] { status = runInfo(inFile, options, std::cout, std::cerr); });

    CLI::App* convert = app.add_subcommand(
        "convert", "Read a tune (.h, .ota, .rtx, .evt, .mid, .imy) and write it as the kind OUT's "
                   "extension names (.h tone text, .ota, .rtx, .evt, .wav, .mid, .imy). The file "
                   "is replaced only once "
                   "it is written completely; a tone text with a line that cannot be read, or "
                   "one too long to save, writes nothing");
    convert->add_option("IN", inFile, "The tune file to read")->required();
    convert->add_option("OUT", outFile, "The file to write")->required();
    addReadOptions(*convert, options);
    addWriteOptions(*convert, options);
    convert->callback([&] { status = runConvert(inFile, outFile, options, std::cerr); });

    std::vector<std::filesystem::path> exportFiles;
    std::string exportFolder;
    std::string exportKind;
    CLI::App* batch = app.add_subcommand(
        "export", "Write every tune of the files into a folder as one kind: each tune of a "
                  "Ringdata.h under its own name (tone_morning.ota), any other file under its "
                  "own stem; a name taken twice is numbered. A tune that cannot be read or "
                  "written is reported and skipped, and the status is then 1");
    batch
        ->add_option("FILES", exportFiles,
                     "The tune files to read (.h, .ota, .rtx, .evt, .mid, .imy)")
        ->required();
    batch->add_option("--to", exportFolder, "The folder to write into, made when missing")
        ->required();
    batch->add_option("--as", exportKind, "The kind to write: h, ota, rtx, evt, wav, mid or imy")
        ->required();
    addReadOptions(*batch, options);
    addWriteOptions(*batch, options);
    batch->callback([&] {
        if (options.choice.made()) {
            std::cerr << "error: export writes every tune; --tune and --index choose one "
                         "(use convert).\n";
            status = 1;
            return;
        }
        status = runExport(exportFiles, exportFolder, exportKind, options, std::cout, std::cerr);
    });

    std::string target;
    std::string asName;
    CLI::App* put = app.add_subcommand(
        "put", "Put the tune of SOURCE (.h, .ota, .rtx, .evt, .mid, .imy) into the Ringdata.h "
               "TARGET: the definition called NAME (--as, or else the name config.cfg's header "
               "gives the tune's name) is replaced in place, or appended after the last "
               "definition (before a final #endif) when TARGET has none of that name. Every "
               "other byte of TARGET stays as it was. Prints what was done and its lines; on "
               "any failure TARGET is left unchanged");
    put->add_option("TARGET", target, "The Ringdata.h to write into")->required();
    put->add_option("SOURCE", inFile, "The tune file to read")->required();
    put->add_option("--as", asName,
                    "The name of the definition, with or without \"[]\" (default: the name "
                    "config.cfg's header gives the tune)");
    addReadOptions(*put, options);
    addTextOptions(*put, options);
    put->callback([&] { status = runPut(target, inFile, asName, options, std::cout, std::cerr); });

    std::string removeName;
    CLI::App* remove = app.add_subcommand(
        "remove", "Take the definition NAME out of the Ringdata.h TARGET, with the blank line "
                  "that separated it; every other byte stays as it was. Prints the lines "
                  "removed; on any failure TARGET is left unchanged");
    remove->add_option("TARGET", target, "The Ringdata.h to change")->required();
    remove
        ->add_option("--tune", removeName,
                     "The definition by its name, with or without \"[]\" (see \"tunetool "
                     "list\")")
        ->required();
    remove->add_option("--config", options.configFolder,
                       "Read config.cfg from this folder instead of the current directory");
    remove->callback(
        [&] { status = runRemove(target, removeName, options, std::cout, std::cerr); });

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
