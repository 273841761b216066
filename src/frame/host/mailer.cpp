#include "frame/host/mailer.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <random>

namespace ravadid {
namespace {

constexpr std::size_t kMaxLineBytes = 998;  // a mail line's limit without its CRLF
constexpr const char* kBase64Digits =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string base64(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    unsigned n = static_cast<unsigned char>(bytes[i]) << 16 |
                 static_cast<unsigned char>(bytes[i + 1]) << 8 |
                 static_cast<unsigned char>(bytes[i + 2]);
    for (int shift : {18, 12, 6, 0}) out += kBase64Digits[(n >> shift) & 63];
  }
  if (std::size_t rest = bytes.size() - i; rest > 0) {
    unsigned n = static_cast<unsigned char>(bytes[i]) << 16;
    if (rest == 2) n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += kBase64Digits[(n >> 18) & 63];
    out += kBase64Digits[(n >> 12) & 63];
    out += rest == 2 ? kBase64Digits[(n >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

bool isPlainAscii(std::string_view text) {
  for (unsigned char c : text)
    if (c < 0x20 || c > 0x7e) return false;
  return true;
}

// Line breaks and other control characters inside a header value become blanks, so that a
// value can never end its header line and start another.
std::string oneLine(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
  return out;
}

// Encoded words of at most 45 bytes of text each (75 characters encoded), split between UTF-8
// characters, joined by folding whitespace.
std::string encodedWords(std::string_view text) {
  std::string out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = std::min(text.size(), start + 45);
    while (end < text.size() && end > start + 1 &&
           (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
      --end;
    if (!out.empty()) out += "\r\n ";
    out += "=?UTF-8?B?" + base64(text.substr(start, end - start)) + "?=";
    start = end;
  }
  return out;
}

// A header text: as it is when it is short plain ASCII, encoded otherwise.
std::string headerText(std::string_view text) {
  std::string line = oneLine(text);
  if (isPlainAscii(line) && line.size() <= 900) return line;
  return encodedWords(line);
}

std::string displayName(std::string_view name) {
  std::string line = oneLine(name);
  if (!isPlainAscii(line) || line.size() > 900) return encodedWords(line);
  std::string quoted = "\"";
  for (char c : line) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

// Every line end (CRLF, a lone CR or a lone LF) as CRLF.
std::string crlfLines(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      out += "\r\n";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
  return out;
}

// A body goes as it is when it is ASCII with lines of legal length, else in base64.
bool needsEncoding(std::string_view crlfBody) {
  std::size_t lineLength = 0;
  for (char c : crlfBody) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '\n') {
      lineLength = 0;
      continue;
    }
    if (u == 0 || u > 0x7e) return true;
    if (c != '\r' && ++lineLength > kMaxLineBytes) return true;
  }
  return false;
}

std::string base64Lines(std::string_view bytes) {
  std::string encoded = base64(bytes), out;
  for (std::size_t i = 0; i < encoded.size(); i += 76) out += encoded.substr(i, 76) + "\r\n";
  return out;
}

// A host name or IP address for the URL; anything that could change the URL is refused.
std::string urlHost(std::string_view host) {
  if (host.empty()) return {};
  for (char c : host) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '.' || c == '-' || c == ':' || c == '_';
    if (!ok) return {};
  }
  if (host.find(':') != std::string_view::npos) return "[" + std::string(host) + "]";
  return std::string(host);
}

struct Upload {
  std::string_view data;
  std::size_t sent = 0;
};

std::size_t readUpload(char* buffer, std::size_t size, std::size_t count, void* user) {
  auto* upload = static_cast<Upload*>(user);
  std::size_t n = std::min(size * count, upload->data.size() - upload->sent);
  std::memcpy(buffer, upload->data.data() + upload->sent, n);
  upload->sent += n;
  return n;
}

}  // namespace

std::vector<std::string> splitRecipients(std::string_view recipients) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= recipients.size()) {
    std::size_t end = recipients.find_first_of(";,", start);
    if (end == std::string_view::npos) end = recipients.size();
    std::string_view part = recipients.substr(start, end - start);
    std::size_t b = part.find_first_not_of(" \t");
    if (b != std::string_view::npos) {
      std::size_t e = part.find_last_not_of(" \t");
      out.emplace_back(part.substr(b, e - b + 1));
    }
    start = end + 1;
  }
  return out;
}

std::string addressProblem(std::string_view address) {
  if (address.empty()) return "empty address";
  for (unsigned char c : address)
    if (c <= 0x20 || c == 0x7f || c == '<' || c == '>')
      return "invalid character in address \"" + oneLine(address) + "\"";
  if (address.find('@') == std::string_view::npos)
    return "no @ in address \"" + std::string(address) + "\"";
  return {};
}

std::string composeMessage(const MailMessage& message, std::string_view date,
                           std::string_view messageId) {
  std::string from = "<" + message.fromAddress + ">";
  if (!oneLine(message.fromName).empty()) from = displayName(message.fromName) + " " + from;
  std::string body = crlfLines(message.body);
  if (body.size() < 2 || body.compare(body.size() - 2, 2, "\r\n") != 0) body += "\r\n";
  bool encoded = needsEncoding(body);

  std::string out;
  out.append("Date: ").append(date).append("\r\n");
  out.append("From: ").append(from).append("\r\n");
  out.append("To: ").append(oneLine(message.recipients)).append("\r\n");
  out.append("Subject: ").append(headerText(message.subject)).append("\r\n");
  out.append("Message-ID: ").append(messageId).append("\r\n");
  out.append("MIME-Version: 1.0\r\n");
  out.append("Content-Type: text/plain; charset=UTF-8\r\n");
  out.append("Content-Transfer-Encoding: ").append(encoded ? "base64" : "7bit").append("\r\n");
  out.append("\r\n");
  out.append(encoded ? base64Lines(body) : body);
  return out;
}

std::string mailDateNow() {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  long offset = local.tm_gmtoff / 60;
  char sign = offset < 0 ? '-' : '+';
  if (offset < 0) offset = -offset;
  char text[96];
  std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld",
                kDays[local.tm_wday], local.tm_mday, kMonths[local.tm_mon], local.tm_year + 1900,
                local.tm_hour, local.tm_min, local.tm_sec, sign, offset / 60, offset % 60);
  return text;
}

std::string newMessageId(std::string_view fromAddress) {
  std::random_device random;
  char hex[33];
  for (int i = 0; i < 4; ++i) std::snprintf(hex + 8 * i, 9, "%08x", random());
  std::string domain = "localhost";
  if (std::size_t at = fromAddress.rfind('@'); at != std::string_view::npos &&
                                               addressProblem(fromAddress).empty() &&
                                               at + 1 < fromAddress.size())
    domain = std::string(fromAddress.substr(at + 1));
  return "<" + std::string(hex) + "@" + domain + ">";
}

CurlMailer::CurlMailer() {
  // curl_global_init is not safe to run on several threads at once.
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

MailResult CurlMailer::send(const MailServer& server, const MailMessage& message) {
  std::string host = urlHost(server.host);
  if (host.empty()) return {false, "invalid SMTP server \"" + oneLine(server.host) + "\""};
  if (server.port < 1 || server.port > 65535)
    return {false, "invalid SMTP port " + std::to_string(server.port)};
  if (std::string problem = addressProblem(message.fromAddress); !problem.empty())
    return {false, "sender: " + problem};
  std::vector<std::string> addresses = splitRecipients(message.recipients);
  if (addresses.empty()) return {false, "no recipient"};
  for (const std::string& address : addresses)
    if (std::string problem = addressProblem(address); !problem.empty())
      return {false, "recipient: " + problem};

  std::string wire = composeMessage(message, mailDateNow(), newMessageId(message.fromAddress));
  CURL* curl = curl_easy_init();
  if (!curl) return {false, "cannot start the mail transfer"};
  curl_slist* rcpt = nullptr;
  for (const std::string& address : addresses)
    rcpt = curl_slist_append(rcpt, ("<" + address + ">").c_str());
  std::string url = "smtp://" + host + ":" + std::to_string(server.port);
  std::string mailFrom = "<" + message.fromAddress + ">";
  Upload upload{wire};
  char errorBuffer[CURL_ERROR_SIZE] = "";

  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);  // worker threads: no SIGALRM for timeouts
  curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
  if (server.authentication) {
    curl_easy_setopt(curl, CURLOPT_USERNAME, server.username.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, server.password.c_str());
  }
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(server.connectTimeout.count()));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(server.timeout.count()));
  curl_easy_setopt(curl, CURLOPT_MAIL_FROM, mailFrom.c_str());
  curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, rcpt);
  curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(curl, CURLOPT_READFUNCTION, readUpload);
  curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);

  CURLcode code = curl_easy_perform(curl);
  curl_slist_free_all(rcpt);
  curl_easy_cleanup(curl);
  if (code == CURLE_OK) return {true, {}};
  std::string error = "SMTP error " + std::to_string(code) + ": ";
  error += errorBuffer[0] ? errorBuffer : curl_easy_strerror(code);
  return {false, error};
}

}  // namespace ravadid
