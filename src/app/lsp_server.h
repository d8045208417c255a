// The language server: answers the editor's JSON-RPC messages about the line
// and service descriptions it has open. Transport-free: messages come in as
// text and go out through a callback, so tests drive it directly.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/lsp_analysis.h"
#include "app/lsp_text.h"

namespace sb {

class LspServer {
 public:
  using Send = std::function<void(const std::string&)>;
  // `read_file` gives the bytes of a file beside an open description (the
  // other description of the pair); nothing when there is none.
  using ReadFile = std::function<std::optional<std::string>(const std::string& path)>;

  LspServer(Send send, ReadFile read_file);
  // The names of the files in a directory: where a line description finds
  // the service description of its route when none is open.
  using ListDirectory = std::function<std::vector<std::string>(const std::string& directory)>;
  void set_directory_lister(ListDirectory list) { list_directory_ = std::move(list); }

  // One framed message's body, or the fault that kept it from being one.
  void receive(const std::string& body);
  void receive_fault(const std::string& fault);

  // Publishes the diagnostics of every document changed since the last call:
  // changes that arrive together are analysed once.
  void flush();
  bool has_pending() const { return !pending_.empty(); }

  // True once `exit` arrived; the status the process then ends with.
  bool exited() const { return exited_; }
  int exit_status() const { return shutdown_ ? 0 : 1; }

 private:
  struct Document {
    std::string uri;
    std::string path;
    std::string text;  // UTF-8 as the editor holds it
    DescriptionKind kind = DescriptionKind::Unknown;
    int version = 0;
    // The latest analysis that covers this document, and its cp1252 text.
    std::shared_ptr<const Analysis> analysis;
    std::string cp1252;
    bool told_alone = false;
  };

  void handle(const nlohmann::json& message);
  void request(const nlohmann::json& id, const std::string& method, const nlohmann::json& params);
  void notification(const std::string& method, const nlohmann::json& params);
  void reply(const nlohmann::json& id, const nlohmann::json& result);
  void reply_written(const nlohmann::json& id, const std::string& result);
  void reply_error(const nlohmann::json& id, int code, const std::string& message);
  void notify(const std::string& method, const nlohmann::json& params);
  void notify_written(const std::string& method, const std::string& params);

  const std::string& initialize(const nlohmann::json& params);
  void did_open(const nlohmann::json& params);
  void did_change(const nlohmann::json& params);
  void did_close(const nlohmann::json& params);
  nlohmann::json hover(const nlohmann::json& params);
  std::string completion(const nlohmann::json& params);
  std::string document_symbols(const nlohmann::json& params);
  nlohmann::json code_actions(const nlohmann::json& params);
  nlohmann::json formatting(const nlohmann::json& params);

  Document* document(const nlohmann::json& params);
  void analyse_pair(Document& doc);
  void publish(Document& doc);
  std::optional<std::string> partner_text(const Document& doc, Document** open_partner, std::string* disk_partner);

  Send send_;
  ReadFile read_file_;
  ListDirectory list_directory_;
  std::map<std::string, Document> documents_;
  std::set<std::string> pending_;
  PositionUnits units_ = PositionUnits::Utf16;
  bool initialized_ = false;
  bool shutdown_ = false;
  bool exited_ = false;
};

// `scenario-builder lsp`: serves standard input and output until `exit`.
int run_lsp();

}  // namespace sb
