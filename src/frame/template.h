// Page templates: HTML with tags written <WC@NAME>contents</WC@NAME> (names in any letter
// case, contents possibly empty). A template is parsed once and kept; a changed file is
// parsed again.
#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ravadid {

class Template {
 public:
  struct Part {
    bool isTag = false;
    std::string text;     // the literal HTML, or the tag's contents
    std::string tagName;  // "WC@NAME" as written in the template
  };

  static Template parse(std::string_view html);
  const std::vector<Part>& parts() const { return parts_; }

 private:
  std::vector<Part> parts_;
};

class TemplateCache {
 public:
  // The parsed template at path. Error 53 "File not found" when the file cannot be read.
  std::shared_ptr<const Template> load(const std::filesystem::path& path);

 private:
  struct Entry {
    std::filesystem::file_time_type modified;
    std::uintmax_t size = 0;
    std::shared_ptr<const Template> parsed;
  };
  std::mutex mutex_;
  std::unordered_map<std::string, Entry> entries_;
};

}  // namespace ravadid
