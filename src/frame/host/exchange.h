// One HTTP request and its response as the application sees them, independent of the server
// library. The cpp-httplib adapter implements it for the real server; tests use a fake.
#pragma once

#include <string>
#include <string_view>

#include "frame/store.h"

namespace ravadid {

class Exchange {
 public:
  virtual ~Exchange() = default;

  // Request. Names ignore letter case; an absent item is empty text.
  virtual std::string form(std::string_view name) const = 0;
  virtual std::string query(std::string_view name) const = 0;
  // Whether the query string holds the item at all (a bare "WCU" counts).
  virtual bool hasQuery(std::string_view name) const = 0;
  virtual std::string serverVariable(std::string_view name) const = 0;

  // Response. Writes after end() are dropped.
  virtual void write(std::string_view text) = 0;
  // The same, from text the caller gives up: a response may take over its buffer.
  virtual void writeMoved(std::string&& text) { write(std::string_view(text)); }
  virtual void redirect(std::string_view url) = 0;
  virtual void end() = 0;
  virtual bool ended() const = 0;
  // HTTP status of the response (200 unless set).
  virtual void setStatus(int status) = 0;
  // Answers with a file for the browser to save instead of a page: the body replaces what was
  // written, goes out with this content type under this file name, and ends the response.
  virtual void download(std::string_view contentType, std::string_view fileName,
                        std::string&& body) = 0;

  // Stores.
  virtual Store& session() = 0;
  virtual void setSessionTimeout(int minutes) = 0;
  virtual int sessionTimeout() const = 0;
  // Drops every item and ends the session; the next request starts a new one.
  virtual void abandonSession() = 0;
  // Moves the session to a fresh random id (sign-in): the old id no longer reaches it.
  virtual void renewSessionId() = 0;
};

}  // namespace ravadid
