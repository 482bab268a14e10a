#include "upload/FileFamily.h"

#include "upload/BinaryRecordReader.h"
#include "upload/ParameterFile.h"
#include "upload/TextBlockReader.h"

namespace corvane {

namespace {

bool ReadsAsText(const ParameterFile& file) {
    TextBlockReader blocks(file.Stream());
    if (!blocks.ReadHeader() || blocks.Blocks() == 0) {
        return false;
    }
    for (uint32_t i = 1; i <= blocks.Blocks(); ++i) {
        if (!blocks.ReadBlock()) {
            return false;
        }
    }
    return true;
}

bool ReadsAsRecords(const ParameterFile& file) {
    BinaryRecordReader records(file.Stream(), file.Size());
    while (records.More() && records.ReadNext() > 0) {
    }
    return records.Number() > 0 && records.Problem().empty();
}

}  // namespace

bool ReadsAsOtherFamily(const std::string& path, UploadProcedure chosen) {
    ParameterFile file;
    if (!file.Open(path)) {
        return false;
    }
    return chosen == UploadProcedure::Text ? ReadsAsRecords(file) : ReadsAsText(file);
}

std::string ReadsAsOtherFamilyText(UploadProcedure chosen) {
    return chosen == UploadProcedure::Text ? "reads as a K47 file: use -f 47"
                                           : "reads as a K31 file: use -f 31";
}

std::string RefusedFile(const std::string& path, UploadProcedure chosen,
                        const std::string& problem) {
    std::string said = path + ": " + problem;
    if (ReadsAsOtherFamily(path, chosen)) {
        said += "\n" + path + " " + ReadsAsOtherFamilyText(chosen);
    }
    return said;
}

}  // namespace corvane
