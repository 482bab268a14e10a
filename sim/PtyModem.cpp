#include "sim/PtyModem.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>

#include "sim/PowerControl.h"

namespace corvane::sim {

namespace {

uint64_t MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now() - start)
                                     .count());
}

// The line drops once the program has read what the module sent before (a hang-up discards
// unread input); one that never reads gets a second. Bytes take a moment to reach the
// program's side, so nothing is judged before the settle time.
constexpr uint64_t HangUpSettleMs = 20;
constexpr uint64_t HangUpGraceMs = 1000;
constexpr int HangUpCheckMs = 5;

// The module's outputs waiting for their time, sent in order.
class OutputQueue {
  public:
    struct Wait {
        int timeoutMs;  // how long nothing is due; -1: until input arrives
        bool forRoom;   // the program's input queue is full: wait until it reads
    };

    // `arrived` is cut to the millisecond: a delay counts from that millisecond's end, or a
    // reply could come up to a millisecond before its time.
    void Add(std::vector<ModemOutput>& outputs, uint64_t arrived) {
        for (ModemOutput& output : outputs) {
            const uint64_t due = output.delayMs == 0 ? arrived : arrived + 1 + output.delayMs;
            lastDue = std::max(lastDue, due);
            queue.push_back({lastDue, std::move(output)});
        }
    }

    // Sends what is due at now, as far as the program's input queue takes it.
    Wait SendDue(PseudoTerminal& pty, uint64_t now) {
        while (!queue.empty() && queue.front().due <= now && pty.IsOpen()) {
            const ModemOutput& output = queue.front().output;
            if (output.hangUp) {
                const uint64_t since = now - queue.front().due;
                if (since < HangUpSettleMs ||
                    (pty.UnreadByProgram() > 0 && since < HangUpGraceMs)) {
                    return {HangUpCheckMs, false};
                }
                pty.HangUp();
                break;
            }
            const ssize_t n =
                write(pty.MasterFd(), output.bytes.data() + written, output.bytes.size() - written);
            if (n < 0 && errno == EAGAIN) {
                return {-1, true};
            }
            if (n < 0 && errno != EINTR) {
                break;  // the line is gone
            }
            written += static_cast<size_t>(std::max<ssize_t>(n, 0));
            if (written == output.bytes.size()) {
                written = 0;
                if (!output.endless) {
                    queue.pop_front();
                }
            }
        }
        if (!pty.IsOpen()) {
            queue.clear();
        }
        if (queue.empty()) {
            return {-1, false};
        }
        return {static_cast<int>(queue.front().due - std::min(queue.front().due, now)), false};
    }

    // A module switched off sends nothing more of what it was about to.
    void Clear() {
        queue.clear();
        written = 0;
    }

  private:
    struct Scheduled {
        uint64_t due;  // ms since the module started
        ModemOutput output;
    };

    std::deque<Scheduled> queue;
    size_t written = 0;  // of the bytes at the front of the queue
    uint64_t lastDue = 0;
};

}  // namespace

PtyModem::PtyModem(ModemOptions options) : model(options) {}

PtyModem::~PtyModem() {
    Stop();
}

bool PtyModem::Start(std::string& error) {
    if (server.joinable()) {
        error = "already running";
        return false;
    }
    const uint32_t rate = model.Options().rate != 0 ? model.Options().rate : 115200;
    if (!pty.Open(rate, error)) {
        return false;
    }
    wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake < 0) {
        error = std::string("eventfd: ") + std::strerror(errno);
        pty.HangUp();
        return false;
    }
    if (!ListenForPowerOn(error)) {
        close(wake);
        wake = -1;
        pty.HangUp();
        return false;
    }
    server = std::thread([this] { Serve(); });
    return true;
}

bool PtyModem::ListenForPowerOn(std::string& error) {
    sockaddr_un address{};
    socklen_t length = 0;
    if (!PowerControlAddress(DevicePath(), address, length)) {
        error = "device name too long for the power control: " + DevicePath();
        return false;
    }
    power = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (power < 0 || bind(power, reinterpret_cast<const sockaddr*>(&address), length) != 0 ||
        listen(power, 4) != 0) {
        error = std::string("power control socket: ") + std::strerror(errno);
        if (power >= 0) {
            close(power);
            power = -1;
        }
        return false;
    }
    return true;
}

bool PtyModem::Publish(const std::string& linkPath, std::string& error) {
    if (!published.empty() || symlink(DevicePath().c_str(), linkPath.c_str()) != 0) {
        error = linkPath + ": " + (published.empty() ? std::strerror(errno) : "already published");
        return false;
    }
    published = linkPath;
    return true;
}

void PtyModem::Stop() {
    if (!published.empty()) {
        unlink(published.c_str());
        published.clear();
    }
    if (server.joinable()) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t ignored = write(wake, &one, sizeof one);
        server.join();
    }
    if (wake >= 0) {
        close(wake);
        wake = -1;
    }
    if (power >= 0) {
        close(power);
        power = -1;
    }
    pty.HangUp();
}

std::vector<TranscriptEntry> PtyModem::Transcript() const {
    const std::lock_guard lock(mutex);
    return model.Transcript();
}

std::vector<std::string> PtyModem::StoredSet() const {
    const std::lock_guard lock(mutex);
    return model.StoredSet();
}

std::vector<std::string> PtyModem::Commands() const {
    const std::lock_guard lock(mutex);
    return model.Commands();
}

bool PtyModem::HungUp() const {
    const std::lock_guard lock(mutex);
    return model.HungUp();
}

void PtyModem::Serve() {
    const auto start = std::chrono::steady_clock::now();
    OutputQueue pending;
    std::array<uint8_t, 4096> chunk{};
    // Hands one chunk of what the program sent to the model; false when none was waiting.
    const auto takeInput = [&] {
        const ssize_t n = read(pty.MasterFd(), chunk.data(), chunk.size());
        if (n <= 0) {
            return false;
        }
        const uint32_t rate = pty.SlaveRate();
        const uint64_t arrived = MillisecondsSince(start);
        std::vector<ModemOutput> outputs;
        {
            const std::lock_guard lock(mutex);
            outputs = model.Receive(std::span(chunk.data(), static_cast<size_t>(n)), rate, arrived);
        }
        pending.Add(outputs, arrived);
        return true;
    };
    for (;;) {
        const OutputQueue::Wait wait = pending.SendDue(pty, MillisecondsSince(start));
        std::array<pollfd, 3> watched{
            {{.fd = wake, .events = POLLIN, .revents = 0},
             {.fd = power, .events = POLLIN, .revents = 0},
             {.fd = pty.MasterFd(),
              .events = static_cast<short>(POLLIN | (wait.forRoom ? POLLOUT : 0)),
              .revents = 0}}};
        const nfds_t count = pty.IsOpen() ? 3 : 2;
        if (poll(watched.data(), count, wait.timeoutMs) < 0 && errno != EINTR) {
            return;
        }
        if (watched[0].revents != 0) {
            return;
        }
        if (watched[1].revents != 0) {
            const int request = accept4(power, nullptr, nullptr, SOCK_CLOEXEC);
            if (request < 0) {
                continue;
            }
            // What the program sent before it switched the power on reaches the module first.
            while (pty.IsOpen() && takeInput()) {
            }
            bool reset = false;
            {
                const std::lock_guard lock(mutex);
                reset = model.PowerOn();
            }
            if (reset) {
                pending.Clear();
            }
            const char done = 1;
            [[maybe_unused]] const ssize_t ignored = write(request, &done, 1);
            close(request);
            continue;
        }
        if (count < 3 || (watched[2].revents & POLLIN) == 0) {
            if (count == 3 && (watched[2].revents & (POLLHUP | POLLERR)) != 0) {
                pty.HangUp();  // cannot happen while the own slave is open; never spin on it
            }
            continue;
        }
        takeInput();
    }
}

}  // namespace corvane::sim
