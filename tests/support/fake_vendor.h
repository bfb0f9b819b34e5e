// A stand-in vendor server on 127.0.0.1 and a free port, for tests that need
// exact control over the answers (cut bodies, odd listings) or that check
// the request bytes the program sends. Every request is recorded whole.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pantrela::testing {

class FakeVendor {
 public:
  // Gets the whole request (headers and body) and returns the raw answer.
  using Handler = std::function<std::string(const std::string& request)>;
  explicit FakeVendor(Handler handler);
  ~FakeVendor();
  int port() const { return port_; }
  std::string host() const { return "127.0.0.1:" + std::to_string(port_); }
  std::vector<std::string> Requests();

  // "HTTP/1.0 200 OK" with the body (and its Content-Length).
  static std::string Ok(const std::string& body);

 private:
  void Serve();
  Handler handler_;
  int listen_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens (bound, then closed).
int UnusedPort();

}  // namespace pantrela::testing
