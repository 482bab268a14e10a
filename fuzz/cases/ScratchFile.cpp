#include "fuzz/cases/ScratchFile.h"

#include <sys/mman.h>
#include <unistd.h>

#include <stdexcept>

namespace corvane::fuzz {

namespace {

class Scratch {
  public:
    Scratch() : descriptor(memfd_create("corvane-fuzz", MFD_CLOEXEC)) {
        if (descriptor < 0) {
            throw std::runtime_error("cannot create the scratch file");
        }
        path = "/proc/self/fd/" + std::to_string(descriptor);
    }
    ~Scratch() { close(descriptor); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    const std::string& Write(std::span<const uint8_t> bytes) {
        if (ftruncate(descriptor, 0) != 0) {
            throw std::runtime_error("cannot empty the scratch file");
        }
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t written = pwrite(descriptor, bytes.data() + done, bytes.size() - done,
                                           static_cast<off_t>(done));
            if (written <= 0) {
                throw std::runtime_error("cannot write the scratch file");
            }
            done += static_cast<size_t>(written);
        }
        return path;
    }

  private:
    int descriptor;
    std::string path;
};

}  // namespace

const std::string& WriteScratchFile(std::span<const uint8_t> bytes) {
    static Scratch scratch;
    return scratch.Write(bytes);
}

}  // namespace corvane::fuzz
