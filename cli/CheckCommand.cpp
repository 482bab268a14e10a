#include "cli/CheckCommand.h"

#include <string>

#include "platform/EscapedBytes.h"
#include "upload/BinaryRecordReader.h"
#include "upload/FileFamily.h"
#include "upload/ParameterFile.h"
#include "upload/ResultCode.h"
#include "upload/ResultText.h"
#include "upload/TextBlockReader.h"

namespace corvane::cli {

namespace {

int Refused(Console& console, const std::string& path, const std::string& problem,
            ResultCode code) {
    console.out << std::flush;
    console.err << "corvane-update: " << EscapedText(path) << ": " << problem << '\n' << std::flush;
    return code;
}

// A file refused by the family chosen may be the other family's.
int RefusedContent(Console& console, const UpdateOptions& options, const std::string& problem) {
    Refused(console, options.filePath, problem, ResultInvalidFile);
    if (ReadsAsOtherFamily(options.filePath, options.procedure)) {
        console.err << "corvane-update: this " << ReadsAsOtherFamilyText(options.procedure) << '\n'
                    << std::flush;
    }
    return ResultInvalidFile;
}

int CheckText(ParameterFile& file, const UpdateOptions& options, Console& console) {
    TextBlockReader blocks(file.Stream());
    if (!blocks.ReadHeader()) {
        return RefusedContent(console, options, blocks.Problem());
    }
    const uint32_t total = blocks.Blocks();
    uint64_t characters = 0;
    for (uint32_t i = 1; i <= total; ++i) {
        if (!blocks.ReadBlock()) {
            return RefusedContent(console, options, blocks.Problem());
        }
        const std::string lines = blocks.SecondLine() == 0
                                      ? "line " + std::to_string(blocks.FirstLine())
                                      : "lines " + std::to_string(blocks.FirstLine()) + " and " +
                                            std::to_string(blocks.SecondLine());
        console.out << "block " << i << " of " << total << ": " << lines << " at byte "
                    << blocks.Offset() << ", " << Counted(blocks.TextLength(), "character") << '\n';
        characters += blocks.TextLength();
    }
    console.out << Counted(total, "block") << " of text, " << Counted(characters, "character")
                << ", for a K31 module (" << Counted(blocks.DeclaredLines(), "line")
                << " declared)\n"
                << std::flush;
    return ResultOk;
}

int CheckBinary(ParameterFile& file, const UpdateOptions& options, Console& console) {
    BinaryRecordReader records(file.Stream(), file.Size());
    uint64_t bytes = 0;
    while (records.More()) {
        const uint32_t length = records.ReadNext();
        if (length == 0) {
            break;
        }
        console.out << "record " << records.Number() << " at byte " << records.Offset() << ": "
                    << Counted(length, "byte") << '\n';
        bytes += length;
    }
    if (!records.Problem().empty()) {
        return RefusedContent(console, options, records.Problem());
    }
    console.out << Counted(records.Number(), "record") << ", " << Counted(bytes, "byte")
                << ", for a K47 module\n"
                << std::flush;
    return ResultOk;
}

}  // namespace

int RunCheckCommand(const UpdateOptions& options, Console& console) {
    ParameterFile file;
    if (!file.Open(options.filePath)) {
        return Refused(console, options.filePath, file.Problem(), ResultFileOpenFailed);
    }
    return options.procedure == UploadProcedure::Text ? CheckText(file, options, console)
                                                      : CheckBinary(file, options, console);
}

}  // namespace corvane::cli
