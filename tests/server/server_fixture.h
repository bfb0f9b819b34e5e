// pantrela-server running in the test process on 127.0.0.1 and a free port,
// with its data in a fresh folder.
#pragma once

#include <string>
#include <thread>

#include "server/vendor_server.h"
#include "support/temp_dir.h"

namespace pantrela::testing {

class RunningServer {
 public:
  static server::Options Quiet() {
    server::Options o;
    o.quiet = true;
    return o;
  }
  explicit RunningServer(server::Options options = Quiet()) {
    options.address = "127.0.0.1";
    options.port = 0;
    options.dataFolder = data.path();
    opts = options;
    server = std::make_unique<server::VendorServer>(options);
    if (server->Bind()) thread = std::thread([this] { server->Run(); });
  }
  ~RunningServer() {
    server->Stop();
    if (thread.joinable()) thread.join();
  }
  int port() const { return server->port(); }
  std::string host() const { return "127.0.0.1:" + std::to_string(port()); }

  TempDir data;
  server::Options opts;
  std::unique_ptr<server::VendorServer> server;
  std::thread thread;
};

}  // namespace pantrela::testing
