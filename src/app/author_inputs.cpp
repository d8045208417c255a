#include "app/author_inputs.h"

#include "app/directory_files.h"
#include "app/file_system.h"

namespace sb {

AuthorInputs::AuthorInputs(std::string line_name, std::string line_path, std::string service_name,
                           std::string service_path)
    : line_name_(std::move(line_name)),
      line_path_(std::move(line_path)),
      service_name_(std::move(service_name)),
      service_path_(std::move(service_path)) {}

std::string AuthorInputs::path_of(const std::string& name) const {
  if (name == line_name_) return line_path_;
  if (name == service_name_) return service_path_;
  return name;
}

bool AuthorInputs::exists(const std::string& name) {
  if (name != line_name_ && name != service_name_) return false;
  const PathKind kind = target_kind(path_of(name));
  return kind != PathKind::missing && kind != PathKind::directory;
}

std::unique_ptr<InputSource> AuthorInputs::open_input(const std::string& name) {
  if (name != line_name_ && name != service_name_) throw FileError(name, "no such file");
  return open_input_path(path_of(name));
}

void AuthorInputs::replace(const std::string& name, const std::function<void(OutputSink&)>& fill) {
  (void)fill;
  throw FileError(path_of(name), "the author's input files are never written");
}

}  // namespace sb
