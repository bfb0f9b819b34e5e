// fuzz-deps: pantrela_server
// pantrela-server's request handling: each input is sent as the raw bytes of
// one request (request line, headers, multipart body) to a server running in
// this process on 127.0.0.1. It must answer or close, never crash, and keep
// serving the next request.
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "server/vendor_server.h"

using namespace pantrela;

namespace {

int g_port = 0;
std::string g_folder;

void RemoveFolder() {
  std::error_code ec;
  std::filesystem::remove_all(g_folder, ec);
}

void StartServer() {
  static server::VendorServer* srv = [] {
    char tmpl[] = "/tmp/pantrela-fuzz-server-XXXXXX";
    if (!::mkdtemp(tmpl)) std::abort();
    g_folder = tmpl;
    std::atexit(RemoveFolder);
    server::Options o;
    o.address = "127.0.0.1";
    o.port = 0;
    o.dataFolder = tmpl;
    o.quiet = true;
    o.threads = 4;
    o.readTimeoutSeconds = 1;
    o.maxRequestBytes = 256 << 10;
    o.maxUploadBytes = 1 << 20;
    o.maxEntryBytes = 1 << 20;
    o.maxUnpackedBytes = 4 << 20;
    o.maxEntries = 100;
    auto* s = new server::VendorServer(o);
    if (!s->Bind()) std::abort();
    std::thread([s] { s->Run(); }).detach();
    return s;
  }();
  g_port = srv->port();
}

// Sends the bytes, closes the sending side and reads until the server
// closes; false when no connection could be made.
bool Exchange(const char* data, size_t size) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(uint16_t(g_port));
  if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
    ::close(fd);
    return false;
  }
  size_t sent = 0;
  while (sent < size) {
    ssize_t n = ::send(fd, data + sent, size - sent, MSG_NOSIGNAL);
    if (n <= 0) break;
    sent += size_t(n);
  }
  ::shutdown(fd, SHUT_WR);
  char buf[4096];
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 5000) != 1) break;
    if (::recv(fd, buf, sizeof buf, 0) <= 0) break;
  }
  ::close(fd);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartServer();
  if (!Exchange(reinterpret_cast<const char*>(data), size)) std::abort();
  static const char kProbe[] = "GET  http://x/version_info.txt  HTTP/1.0\r\n\r\n";
  if (!Exchange(kProbe, sizeof kProbe - 1)) std::abort();
  return 0;
}
