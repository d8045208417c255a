// The web server of `watch --serve`, on cpp-httplib. Built as a module of
// its own that the program loads only for --serve: the library brings TLS and
// compression libraries along, whose loading would slow every other run.
#include <httplib.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "app/live_server.h"

namespace sb {

namespace {

constexpr std::size_t kWorkers = 32;  // connections served at once
constexpr std::size_t kQueued = 64;   // accepted connections waiting for a worker
constexpr int kMaxEventStreams = 8;   // open live pages; the other workers stay free for requests

// A pool of workers with a bounded queue: when it is full the accepting
// thread waits, and further connections wait in the system's short listen
// backlog, so the number of connections held stays bounded.
class BoundedPool : public httplib::TaskQueue {
 public:
  BoundedPool() {
    for (std::size_t i = 0; i < kWorkers; ++i) threads_.emplace_back([this] { work(); });
  }
  void enqueue(std::function<void()> fn) override {
    std::unique_lock<std::mutex> lock(mutex_);
    room_.wait(lock, [&] { return jobs_.size() < kQueued || shutdown_; });
    if (shutdown_) return;
    jobs_.push_back(std::move(fn));
    ready_.notify_one();
  }
  void shutdown() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      shutdown_ = true;
    }
    ready_.notify_all();
    room_.notify_all();
    for (auto& t : threads_) t.join();
  }

 private:
  void work() {
    for (;;) {
      std::function<void()> fn;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [&] { return !jobs_.empty() || shutdown_; });
        if (jobs_.empty()) return;
        fn = std::move(jobs_.front());
        jobs_.pop_front();
        room_.notify_one();
      }
      fn();
    }
  }

  std::mutex mutex_;
  std::condition_variable ready_, room_;
  std::deque<std::function<void()>> jobs_;
  std::vector<std::thread> threads_;
  bool shutdown_ = false;
};

// Sent as it is, from the shared copy: the library would otherwise
// compress a text of megabytes on every request, which takes seconds.
void send_shared(httplib::Response& res, std::shared_ptr<const std::string> text, const char* type) {
  res.set_content_provider(text->size(), type, [text](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
    return sink.write(text->data() + offset, std::min(length, text->size() - offset));
  });
}

const char* const kWaitingPage =
    "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>no scenario yet</title></head>"
    "<body><p>No compile has left good files yet.</p></body></html>";

}  // namespace

class HttpLiveServer : public LiveServer {
 public:
  struct State;
  HttpLiveServer(ServeAddress address, std::string page);
  ~HttpLiveServer() override;
  bool start(std::string& why) override;
  std::string url() const override;
  void publish(const std::string& outcome_json, const LiveScenario* scenario) override;
  void stop() override;

 private:
  std::unique_ptr<State> state_;
};

struct HttpLiveServer::State {
  ServeAddress address;
  int port = 0;
  httplib::Server server;
  std::thread thread;
  std::mutex mutex;
  std::condition_variable changed;
  std::uint64_t generation = 0;
  std::string outcome = "null";
  std::shared_ptr<const std::string> view = std::make_shared<const std::string>(kWaitingPage);
  std::shared_ptr<const std::string> data;  // {"view": N, "plan": K, "data": {"title", "scenario"}}
  std::shared_ptr<const std::string> plan;  // {"plan": K, "levels": [...]}
  std::uint64_t plan_number = 0;
  std::string page;
  int streams = 0;
  bool stopping = false;
};

HttpLiveServer::HttpLiveServer(ServeAddress address, std::string page) : state_(std::make_unique<State>()) {
  state_->address = std::move(address);
  state_->page = std::move(page);
}

HttpLiveServer::~HttpLiveServer() { stop(); }

std::string HttpLiveServer::url() const {
  const std::string& h = state_->address.host;
  const bool v6 = h.find(':') != std::string::npos;
  return "http://" + (v6 ? "[" + h + "]" : h) + ":" + std::to_string(state_->port) + "/";
}

bool HttpLiveServer::start(std::string& why) {
  State& s = *state_;
  auto& server = s.server;
  server.new_task_queue = [] { return new BoundedPool; };
  // One listener per port: never share it with another process.
  server.set_socket_options([](socket_t sock) {
    int yes = 1;
#ifdef _WIN32
    setsockopt(sock, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<char*>(&yes), sizeof yes);
#else
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
#endif
  });
  // A connection that sends nothing gives its worker back soon.
  server.set_read_timeout(2, 0);
  server.set_keep_alive_timeout(2);
  server.set_write_timeout(5, 0);
  server.set_keep_alive_max_count(20);
  server.set_payload_max_length(4096);
  server.set_pre_routing_handler([&s](const httplib::Request& req, httplib::Response& res) {
    if (!host_header_allowed(req.get_header_value("Host"), s.address, s.port)) {
      res.status = 403;
      res.set_content("This server answers only to its own address.\n", "text/plain");
      return httplib::Server::HandlerResponse::Handled;
    }
    res.set_header("Cache-Control", "no-store");
    res.set_header("X-Content-Type-Options", "nosniff");
    res.set_header("Content-Security-Policy", "default-src 'self' 'unsafe-inline'; frame-ancestors 'self'");
    return httplib::Server::HandlerResponse::Unhandled;
  });
  server.set_error_handler(httplib::Server::HandlerWithResponse([](const httplib::Request&, httplib::Response& res) {
    if (res.body.empty()) res.set_content(std::to_string(res.status) + "\n", "text/plain");
    return httplib::Server::HandlerResponse::Handled;
  }));
  server.Get("/", [&s](const httplib::Request&, httplib::Response& res) {
    res.set_content(s.page, "text/html; charset=utf-8");
  });
  // Browsers ask for an icon: none, and no error in the page's console.
  server.Get("/favicon.ico", [](const httplib::Request&, httplib::Response& res) { res.status = 204; });
  server.Get("/view", [&s](const httplib::Request&, httplib::Response& res) {
    std::lock_guard<std::mutex> lock(s.mutex);
    send_shared(res, s.view, "text/html; charset=utf-8");
  });
  // What an open page needs of a new compile; 404 before the first good one.
  for (const char* path : {"/data", "/plan"}) {
    const bool plan = path[1] == 'p';
    server.Get(path, [&s, plan](const httplib::Request&, httplib::Response& res) {
      std::lock_guard<std::mutex> lock(s.mutex);
      const auto& text = plan ? s.plan : s.data;
      if (!text) {
        res.status = 404;
        return;
      }
      send_shared(res, text, "application/json");
    });
  }
  server.Get("/outcome", [&s](const httplib::Request&, httplib::Response& res) {
    std::lock_guard<std::mutex> lock(s.mutex);
    res.set_content(s.outcome, "application/json");
  });
  server.Get("/events", [&s](const httplib::Request&, httplib::Response& res) {
    {
      std::lock_guard<std::mutex> lock(s.mutex);
      if (s.streams >= kMaxEventStreams) {
        res.status = 503;
        res.set_content("Too many open pages.\n", "text/plain");
        return;
      }
      ++s.streams;
    }
    // Each stream starts with the current outcome, then one event per compile;
    // a comment now and then keeps proxies and the browser from giving up.
    auto sent = std::make_shared<std::uint64_t>(~std::uint64_t{0});
    res.set_chunked_content_provider(
        "text/event-stream",
        [&s, sent](std::size_t, httplib::DataSink& sink) {
          std::unique_lock<std::mutex> lock(s.mutex);
          s.changed.wait_for(lock, std::chrono::seconds(15), [&] { return s.stopping || s.generation != *sent; });
          if (s.stopping) return false;
          std::string message;
          if (s.generation != *sent) {
            *sent = s.generation;
            message = "event: compile\ndata: " + s.outcome + "\n\n";
          } else {
            message = ": still here\n\n";
          }
          lock.unlock();
          return sink.write(message.data(), message.size());
        },
        [&s](bool) {
          std::lock_guard<std::mutex> lock(s.mutex);
          --s.streams;
        });
  });

  const auto& a = s.address;
  if (a.port == 0) {
    s.port = server.bind_to_any_port(a.host);
    if (s.port <= 0) {
      why = "cannot listen on " + a.host + ": the address is not this machine's";
      return false;
    }
  } else {
    if (!server.bind_to_port(a.host, a.port)) {
      why = "cannot listen on " + a.host + ":" + std::to_string(a.port) +
            ": the port is in use (or the address is not this machine's); choose another with --serve";
      return false;
    }
    s.port = a.port;
  }
  s.thread = std::thread([&server] { server.listen_after_bind(); });
  return true;
}

void HttpLiveServer::publish(const std::string& outcome_json, const LiveScenario* scenario) {
  // The texts are put together before the lock is taken: requests wait only for the swap.
  std::shared_ptr<const std::string> data, plan;
  if (scenario != nullptr) {
    data = std::make_shared<const std::string>("{\"view\":" + std::to_string(scenario->view) +
                                               ",\"plan\":" + std::to_string(scenario->plan) +
                                               ",\"data\":" + *scenario->scenario + "}");
    bool same_plan;
    {
      std::lock_guard<std::mutex> lock(state_->mutex);
      same_plan = state_->plan && state_->plan_number == scenario->plan;
    }
    if (!same_plan) {
      plan = std::make_shared<const std::string>("{\"plan\":" + std::to_string(scenario->plan) +
                                                 ",\"levels\":" + *scenario->levels + "}");
    }
  }
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->outcome = outcome_json;
    if (scenario != nullptr) {
      state_->view = scenario->page;
      state_->data = std::move(data);
      if (plan) {
        state_->plan = std::move(plan);
        state_->plan_number = scenario->plan;
      }
    }
    ++state_->generation;
  }
  state_->changed.notify_all();
}

void HttpLiveServer::stop() {
  State& s = *state_;
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    s.stopping = true;
  }
  s.changed.notify_all();
  if (s.thread.joinable()) {
    s.server.stop();
    s.thread.join();
  }
}

}  // namespace sb

extern "C" sb::LiveServer* sb_create_live_server(const sb::ServeAddress* address, const char* page, std::size_t size) {
  return new sb::HttpLiveServer(*address, std::string(page, size));
}
