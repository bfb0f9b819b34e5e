#include "support/fake_vendor.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace pantrela::testing {

namespace {

int ListenLoopback(int* port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = 0;
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  *port = ntohs(a.sin_port);
  return fd;
}

// Reads one request: the headers, then as many body bytes as announced.
std::string ReadRequest(int fd) {
  std::string req;
  char buf[65536];
  size_t want = std::string::npos;
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 5000) != 1) break;
    ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0) break;
    req.append(buf, size_t(n));
    if (want == std::string::npos) {
      size_t end = req.find("\r\n\r\n");
      if (end == std::string::npos) continue;
      want = end + 4;
      size_t cl = req.find("Content-Length: ");
      if (cl != std::string::npos && cl < end) want += std::strtoull(req.c_str() + cl + 16, nullptr, 10);
    }
    if (req.size() >= want) break;
  }
  return req;
}

}  // namespace

FakeVendor::FakeVendor(Handler handler) : handler_(std::move(handler)) {
  listen_ = ListenLoopback(&port_);
  ::listen(listen_, 64);
  thread_ = std::thread([this] { Serve(); });
}

FakeVendor::~FakeVendor() {
  stop_ = true;
  thread_.join();
  ::close(listen_);
}

void FakeVendor::Serve() {
  while (!stop_) {
    pollfd p{listen_, POLLIN, 0};
    if (::poll(&p, 1, 50) != 1) continue;
    int c = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
    if (c < 0) continue;
    std::string req = ReadRequest(c);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(req);
    }
    std::string answer = handler_(req);
    size_t sent = 0;
    while (sent < answer.size()) {
      ssize_t n = ::send(c, answer.data() + sent, answer.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += size_t(n);
    }
    ::close(c);
  }
}

std::vector<std::string> FakeVendor::Requests() {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

std::string FakeVendor::Ok(const std::string& body) {
  return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

int UnusedPort() {
  int port = 0;
  int fd = ListenLoopback(&port);
  ::close(fd);
  return port;
}

}  // namespace pantrela::testing
