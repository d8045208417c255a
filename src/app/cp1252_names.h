// The compiled files are named from the route and train identifiers, which
// the model holds in cp1252 as the simulator reads them. The file system is
// given those names as UTF-8 text (the program's encoding for paths, turned
// into UTF-16 on Windows), so "CITTÀ_linea.dat" is the same name on every
// platform.
#pragma once

#include "documents/cp1252.h"
#include "model/file_door.h"

namespace sb {

class Cp1252NamedFiles : public FileDoor {
 public:
  explicit Cp1252NamedFiles(FileDoor& inner) : inner_(inner) {}
  bool exists(const std::string& name) override { return inner_.exists(cp1252_to_utf8(name)); }
  std::unique_ptr<InputSource> open_input(const std::string& name) override {
    return inner_.open_input(cp1252_to_utf8(name));
  }
  void remove(const std::string& name) override { inner_.remove(cp1252_to_utf8(name)); }
  void replace(const std::string& name, const std::function<void(OutputSink&)>& fill) override {
    inner_.replace(cp1252_to_utf8(name), fill);
  }
  std::string path_of(const std::string& name) const override { return inner_.path_of(cp1252_to_utf8(name)); }

 private:
  FileDoor& inner_;
};

}  // namespace sb
