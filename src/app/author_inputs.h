// The input door of `compile`: the author's two description files stand in
// for the names the readers look up, and are never deleted or changed.
#pragma once

#include <string>

#include "model/file_door.h"

namespace sb {

class AuthorInputs : public FileDoor {
 public:
  AuthorInputs(std::string line_name, std::string line_path, std::string service_name, std::string service_path);
  bool exists(const std::string& name) override;
  std::unique_ptr<InputSource> open_input(const std::string& name) override;
  // The author's files are kept: deleting is a no-op.
  void remove(const std::string& name) override { (void)name; }
  void replace(const std::string& name, const std::function<void(OutputSink&)>& fill) override;
  std::string path_of(const std::string& name) const override;

 private:
  std::string line_name_, line_path_, service_name_, service_path_;
};

}  // namespace sb
