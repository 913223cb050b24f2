#include "host_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <utility>

#include <gtest/gtest.h>

#include "host/host_options.h"
#include "serialization/json_reader.h"
#include "serialization/json_writer.h"

extern char** environ;

namespace kel::host::testing {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string TempDirectory(std::string pattern) { return mkdtemp(pattern.data()); }

void RemoveDirectory(const std::string& directory) {
  std::error_code ignored;
  std::filesystem::remove_all(directory, ignored);
}

// The exit status of a process that ends by exiting, -1 otherwise.
int WaitForExit(pid_t pid) {
  int status = 0;
  return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

pid_t Spawn(std::vector<std::string> argv, const std::string& in, const std::string& out, const std::string& err,
            const std::vector<int>& descriptors) {
  std::vector<char*> pointers;
  for (std::string& argument : argv) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!in.empty()) posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (err.empty()) {
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
  } else {
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  for (std::size_t i = 0; i < descriptors.size(); ++i) {
    posix_spawn_file_actions_adddup2(&actions, descriptors[i], static_cast<int>(3 + i));
  }
  pid_t pid = -1;
  if (posix_spawnp(&pid, pointers[0], &actions, nullptr, pointers.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

const datagen::GeneratedWorld& DefaultWorld() {
  static const datagen::GeneratedWorld world(1);
  return world;
}

std::string InventoryRoute(const std::string& rest) {
  return "/kel-champions/v1/inventories/" + std::to_string(kDefaultSummonerId) + rest;
}

std::vector<std::string> InventoryRoutes() {
  const datagen::GameChampion& first = DefaultWorld().Champions().front();
  const std::string one = InventoryRoute("/champions/" + std::to_string(first.id));
  const std::string skin = one + "/skins/" + std::to_string(first.skins.back().id);
  std::vector<std::string> routes;
  for (const char* rest : {"/champions", "/champions-minimal", "/skins-minimal", "/champions-playable-count"})
    routes.push_back(InventoryRoute(rest));
  routes.insert(routes.end(), {one, one + "/skins", skin, skin + "/chromas"});
  return routes;
}

bool WaitForFullList(const HostProcess& host) {
  return WaitFor([&] { return host.Get(InventoryRoutes()[0]).value.Size() == DefaultWorld().Champions().size(); },
                 Patience(std::chrono::milliseconds(20000)));
}

std::optional<BindingValue> ParseJsonText(std::string_view text) {
  BindingResult parsed = ::kel::ParseJson(std::string(text).c_str());
  if (!parsed.Ok()) return std::nullopt;
  return std::move(parsed.Value());
}

std::string ToJsonText(const BindingValue& value) { return value.IsEmpty() ? "null" : ::kel::WriteJson(value); }

std::chrono::milliseconds Patience(std::chrono::milliseconds normal) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  return normal * 6;
#else
  return normal;
#endif
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return condition();
}

HostProcess::HostProcess(std::vector<std::string> arguments) {
  // A host that ends while a client still writes must not end the test.
  signal(SIGPIPE, SIG_IGN);
  directory_ = TempDirectory("/tmp/kel-host-test-XXXXXX");
  const std::string port_file = directory_ + "/port";
  std::vector<std::string> all = {KEL_HOST_EXECUTABLE, "--port", "0", "--port-file", port_file, "--quiet"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  pid_ = Spawn(all, "", directory_ + "/output");
  if (pid_ < 0) {
    ADD_FAILURE() << "cannot start " << KEL_HOST_EXECUTABLE;
    return;
  }
  const bool listening = WaitFor(
      [&] {
        const std::string text = ReadFile(port_file);
        if (text.empty() || text.back() != '\n') return false;
        port_ = static_cast<uint16_t>(std::stoi(text));
        return true;
      },
      Patience(std::chrono::milliseconds(20000)));
  if (!listening) ADD_FAILURE() << "kel-host did not start listening:\n" << Output();
}

HostProcess::~HostProcess() {
  Stop();
  RemoveDirectory(directory_);
}

int HostProcess::Stop() {
  if (pid_ <= 0) return -1;
  kill(pid_, SIGTERM);
  return WaitForExit(std::exchange(pid_, -1));
}

std::string HostProcess::Output() const { return ReadFile(directory_ + "/output"); }

JsonReply HostProcess::Send(const std::string& method, const std::string& path, const std::string& body) const {
  httplib::Client client("127.0.0.1", port_);
  client.set_read_timeout(Patience(std::chrono::milliseconds(20000)));
  httplib::Result result = method == "GET"      ? client.Get(path)
                           : method == "DELETE" ? client.Delete(path)
                           : method == "PUT"    ? client.Put(path, body, "application/json")
                                                : client.Post(path, body, "application/json");
  JsonReply reply;
  if (!result) return reply;
  reply.status = result->status;
  if (std::optional<BindingValue> value = ParseJsonText(result->body)) reply.value = std::move(*value);
  return reply;
}

Connection::Connection(uint16_t port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  connected_ = connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

Connection::~Connection() { close(fd_); }

void Connection::Send(const std::string& bytes) const {
  for (std::size_t sent = 0; sent < bytes.size();) {
    const ssize_t n = send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return;
    sent += static_cast<std::size_t>(n);
  }
}

std::string Connection::StatusLine(std::chrono::milliseconds timeout) const {
  pollfd ready{fd_, POLLIN, 0};
  if (poll(&ready, 1, static_cast<int>(timeout.count())) <= 0) return "";
  char buffer[256];
  const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
  if (n <= 0) return "closed";
  const std::string text(buffer, static_cast<std::size_t>(n));
  return text.substr(0, text.find('\r'));
}

CommandResult RunKelHost(const std::vector<std::string>& arguments, const std::string& input) {
  const std::string directory = TempDirectory("/tmp/kel-host-run-XXXXXX");
  const std::string in = directory + "/in", out = directory + "/out", err = directory + "/err";
  std::ofstream(in, std::ios::binary) << input;
  std::vector<std::string> all = {KEL_HOST_EXECUTABLE};
  all.insert(all.end(), arguments.begin(), arguments.end());
  CommandResult result{WaitForExit(Spawn(all, in, out, err)), ReadFile(out), ReadFile(err)};
  RemoveDirectory(directory);
  return result;
}

}  // namespace kel::host::testing
