// The local web server of `watch --serve`: the live page, the viewer page of
// the last good compile and its data (the scenario and the plan's levels
// apart, so an open page fetches the plan only when it changed), the last
// compile's outcome as JSON, and a stream of Server-Sent Events that tells
// open pages of each new compile. It serves
// nothing else: no file of the disk, no listing. Requests must name this
// server in their Host header, so a page of another site in the same browser
// cannot read it through a name that resolves here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/serve_address.h"

namespace sb {

// The viewer's parts of the last good compile.
struct LiveScenario {
  std::uint64_t view = 0;                       // the good compile it comes from, counted from 1
  std::uint64_t plan = 0;                       // changes exactly when `levels` does
  std::shared_ptr<const std::string> page;      // the whole viewer page, for a page opened now
  std::shared_ptr<const std::string> scenario;  // {"title": ..., "scenario": ...}, for an open page
  std::shared_ptr<const std::string> levels;    // the plan's levels, for an open page
};

class LiveServer {
 public:
  virtual ~LiveServer() = default;
  // Binds and starts serving on a thread of its own; false with the reason in
  // `why` when the address cannot be had (a port in use among them).
  virtual bool start(std::string& why) = 0;
  // The address pages are opened at, "http://127.0.0.1:8080/".
  virtual std::string url() const = 0;
  // After each compile: its outcome as JSON, and the viewer's parts when the
  // compile left good files (else the last good ones stay).
  virtual void publish(const std::string& outcome_json, const LiveScenario* scenario) = 0;
  virtual void stop() = 0;
};

// The live page: web/live.html with its script and style.
std::string live_page();

// A server for `address` (not started yet); nullptr with the reason in `why`
// when this build or installation has none.
std::unique_ptr<LiveServer> make_live_server(const ServeAddress& address, std::string& why);

}  // namespace sb
