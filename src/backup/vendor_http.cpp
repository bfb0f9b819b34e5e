#include "backup/vendor_http.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "foundation/vendor.h"

namespace pantrela {

namespace {

std::string TrimBlanks(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return std::string(s.substr(b, e - b));
}

char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// A connected socket with the time-outs set, or -1.
int Connect(const VendorHost& host, int timeoutMs) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  if (host.name.empty() || ::getaddrinfo(host.name.c_str(), host.port.c_str(), &hints, &list) != 0) return -1;
  int fd = -1;
  for (addrinfo* a = list; a && fd < 0; a = a->ai_next) {
    fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
    if (fd < 0) continue;
    int rc = ::connect(fd, a->ai_addr, a->ai_addrlen);
    if (rc != 0 && errno == EINPROGRESS) {
      pollfd p{fd, POLLOUT, 0};
      int err = 0;
      socklen_t len = sizeof err;
      rc = (::poll(&p, 1, timeoutMs) == 1 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0)
               ? 0
               : -1;
    }
    if (rc != 0) {
      ::close(fd);
      fd = -1;
    }
  }
  ::freeaddrinfo(list);
  if (fd < 0) return -1;
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
  return fd;
}

}  // namespace

VendorHost VendorHost::Parse(std::string_view hostAndPort) {
  VendorHost h;
  h.text = std::string(hostAndPort);
  h.name = h.text;
  size_t colon = h.text.rfind(':');
  size_t bracket = h.text.rfind(']');
  if (colon != std::string::npos && (bracket == std::string::npos || bracket < colon)) {
    h.name = h.text.substr(0, colon);
    h.port = h.text.substr(colon + 1);
  }
  if (h.name.size() >= 2 && h.name.front() == '[' && h.name.back() == ']') h.name = h.name.substr(1, h.name.size() - 2);
  return h;
}

VendorHost VendorHostFromEnvironment() { return VendorHost::Parse(VendorAddressesFromEnvironment().server); }

std::string VendorReply::Body() const {
  size_t p = raw.find("\r\n\r\n");
  return p == std::string::npos ? std::string() : raw.substr(p + 4);
}

std::string VendorReply::Text() const { return TrimBlanks(Body()); }

bool VendorReply::Complete() const {
  if (!connected || readError || overLimit || stopped || status == 0) return false;
  size_t end = raw.find("\r\n\r\n");
  if (end == std::string::npos) return false;
  // Content-Length, when the server sent one, must match what arrived.
  std::string head = raw.substr(0, end);
  for (char& c : head) c = LowerChar(c);
  size_t p = head.find("\r\ncontent-length:");
  if (p == std::string::npos) return true;
  uint64_t n = std::strtoull(head.c_str() + p + 17, nullptr, 10);
  return raw.size() - end - 4 == n;
}

VendorReply VendorExchange(const VendorHost& host, std::string_view request, int timeoutMs, uint64_t maxBytes,
                           const ReceiveProgress& progress) {
  VendorReply r;
  int fd = Connect(host, timeoutMs);
  if (fd < 0) return r;
  size_t sent = 0;
  while (sent < request.size()) {
    ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    sent += size_t(n);
  }
  if (sent < request.size()) {
    ::close(fd);
    return r;
  }
  r.connected = true;
  char buf[4096];
  for (;;) {
    ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      r.readError = true;
      break;
    }
    if (n == 0) break;
    if (r.raw.size() + size_t(n) > maxBytes) {
      r.overLimit = true;
      break;
    }
    r.raw.append(buf, size_t(n));
    if (progress && !progress(r.raw.size())) {
      r.stopped = true;
      break;
    }
  }
  ::close(fd);
  // "HTTP/1.x 200 OK"
  if (r.raw.rfind("HTTP/", 0) == 0) {
    size_t sp = r.raw.find(' ');
    size_t eol = r.raw.find("\r\n");
    if (sp != std::string::npos && eol != std::string::npos && sp < eol) {
      r.statusText = r.raw.substr(sp + 1, eol - sp - 1);
      r.status = std::atoi(r.statusText.c_str());
    }
  }
  return r;
}

std::string VendorQueryLine(const VendorHost& host, std::string_view path) {
  return "GET  http://" + host.text + std::string(path) + "  HTTP/1.0\r\n\r\n";
}

VendorReply VendorQuery(const VendorHost& host, std::string_view path, uint64_t maxBytes,
                        const ReceiveProgress& progress) {
  return VendorExchange(host, VendorQueryLine(host, path), 10000, maxBytes, progress);
}

std::string ErrorOpeningPort(const VendorHost& host) { return "Error opening port " + host.text; }

std::string VendorAnswerText(const VendorHost& host, const VendorReply& reply) {
  return reply.connected ? reply.Text() : ErrorOpeningPort(host);
}

}  // namespace pantrela
