// Plays a weighing indicator on a serial line for trying the weighing card by hand: sends the
// frames of one indicator model at a fixed period and takes a new weight typed on its input.
//
//   indicator_player [--mode N] [--period MS] [--weight TEXT] [--device PATH]
//
// Without --device it makes a pseudo-terminal and prints its name; point a port's device
// setting at that name. A full or closed line never blocks or ends the player: frames that
// cannot be written are skipped. Ctrl+C or end of input with "q" ends it.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "weighing/SmFrameDecoder.h"
#include "weighing/SmScaleModels.h"

namespace {

struct Options {
  int mode = 1;
  int periodMs = 500;
  std::string weight = "0";
  std::string device;
};

// Closes a descriptor when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd = -1) : m_fd(fd) {}
  ~Fd() {
    if (m_fd >= 0) close(m_fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return m_fd; }
  void reset(int fd) {
    if (m_fd >= 0) close(m_fd);
    m_fd = fd;
  }

 private:
  int m_fd;
};

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return false;
    const std::string value = argv[++i];
    if (arg == "--mode")
      options.mode = std::atoi(value.c_str());
    else if (arg == "--period")
      options.periodMs = std::atoi(value.c_str());
    else if (arg == "--weight")
      options.weight = value;
    else if (arg == "--device")
      options.device = value;
    else
      return false;
  }
  return options.periodMs > 0;
}

// The weight as the indicator's field shows it, zero-padded on the left: six characters for
// the fixed-field models, seven for the reversed one (mode 3), six positions for the binary one;
// as typed for the raw mode.
std::string FieldText(int mode, std::string weight) {
  if (mode == 0) return weight;
  const bool negative = !weight.empty() && weight[0] == '-';
  if (negative) weight.erase(0, 1);
  const bool point = weight.find('.') != std::string::npos;
  const size_t digits = weight.size() - (point ? 1 : 0);
  const size_t width = mode == 5 ? 6 : (mode == 3 ? 7 : 6) - (point ? 1 : 0);
  const size_t padTo = width - (negative ? 1 : 0);
  if (digits < padTo) weight.insert(0, padTo - digits, '0');
  return (negative ? "-" : "") + weight;
}

std::string MakeFrame(const Options& options, const std::string& weight) {
  const std::string field = FieldText(options.mode, weight);
  // The reversed model's field is seven characters wide.
  if (options.mode == 3 && field.size() != 7) return {};
  return CSmFrameDecoder::EncodeFrame(options.mode, field);
}

bool OpenLine(const Options& options, Fd& line, Fd& keepOpen, std::string& name) {
  if (!options.device.empty()) {
    line.reset(open(options.device.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK));
    name = options.device;
    return line.get() >= 0;
  }
  int master = -1, slave = -1;
  char slaveName[256] = {};
  if (openpty(&master, &slave, slaveName, nullptr, nullptr) != 0) return false;
  line.reset(master);
  // The player holds the far end too, so writing never fails before the program opens it.
  keepOpen.reset(slave);
  termios raw{};
  tcgetattr(slave, &raw);
  cfmakeraw(&raw);
  tcsetattr(slave, TCSANOW, &raw);
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  name = slaveName;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::vector<std::string> models;
  FillScaleModelList(models);
  if (!ParseOptions(argc, argv, options) || options.mode < 0 ||
      options.mode >= static_cast<int>(models.size())) {
    std::fprintf(stderr,
                 "usage: indicator_player [--mode 0-%zu] [--period MS] [--weight TEXT] "
                 "[--device PATH]\n",
                 models.size() - 1);
    return 2;
  }
  std::string frame = MakeFrame(options, options.weight);
  if (frame.empty()) {
    std::fprintf(stderr, "weight \"%s\" does not fit mode %d\n", options.weight.c_str(),
                 options.mode);
    return 2;
  }
  std::signal(SIGPIPE, SIG_IGN);
  Fd line, keepOpen;
  std::string name;
  if (!OpenLine(options, line, keepOpen, name)) {
    std::fprintf(stderr, "cannot open the line: %s\n", std::strerror(errno));
    return 1;
  }
  std::printf("%s\nmode %d (%s), every %d ms; type a new weight and Enter, q to quit\n",
              name.c_str(), options.mode, models[options.mode].c_str(), options.periodMs);
  std::fflush(stdout);

  bool inputOpen = true;
  for (;;) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    const int ready = poll(&input, inputOpen ? 1 : 0, options.periodMs);
    if (ready > 0 && (input.revents & (POLLIN | POLLHUP))) {
      std::string typed;
      if (!std::getline(std::cin, typed)) {
        inputOpen = false;
      } else if (typed == "q") {
        return 0;
      } else if (!typed.empty()) {
        const std::string next = MakeFrame(options, typed);
        if (next.empty()) {
          std::printf("weight \"%s\" does not fit mode %d\n", typed.c_str(), options.mode);
        } else {
          frame = next;
          std::printf("now sending %s\n", typed.c_str());
        }
        std::fflush(stdout);
      }
      continue;
    }
    // A full or closed line: the frame is lost, the player goes on.
    if (write(line.get(), frame.data(), frame.size()) < 0 && errno != EAGAIN && errno != EIO) {
      std::fprintf(stderr, "write: %s\n", std::strerror(errno));
    }
  }
}
