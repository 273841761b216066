// The HTTP server in-process on a loopback port: routing, static files, request items,
// responses, sessions, concurrency and clients that misbehave.
#include "frame/host/http_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "frame/application.h"
#include "frame/page_object.h"
#include "frame/pages.h"
#include "support/message_page.h"
#include "support/temp_installation.h"

namespace ravadid {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A page object that shows what the host hands it and uses each host operation on request.
class EchoPage : public PageObject {
 public:
  EchoPage()
      : PageObject("Echo", {"Remember", "Recall", "Renew", "Abandon", "Redirect", "End", "Status",
                            "Sleep", "SignOut", "Template"}) {}

  // Pieces the size of a results table, with and without room for the page around them.
  void processTag(Ravadid&, TagEvent& tag) const override {
    const std::size_t size = tag.is("WC@SMALL") ? 3 : 200'000;
    std::string piece;
    if (tag.is("WC@ROOMY")) piece.reserve(2 * size);
    piece.assign(size, tag.contents.front());
    tag.contents = std::move(piece);
  }

  void respond(Ravadid& app) const override {
    Exchange& ex = app.exchange();
    ex.write("form.a=" + ex.form("a") + "\n");
    ex.write("form.eq=" + ex.form("eq") + "\n");
    ex.write("form.big=" + std::to_string(ex.form("big").size()) + "\n");
    ex.write("query.a=" + ex.query("a") + "\n");
    ex.write("has.wcu=" + std::string(ex.hasQuery("wcu") ? "yes" : "no") + "\n");
    ex.write("has.nope=" + std::string(ex.hasQuery("nope") ? "yes" : "no") + "\n");
    ex.write("site=" + ex.serverVariable("appl_physical_path") + "\n");
    ex.write("method=" + ex.serverVariable("REQUEST_METHOD") + "\n");
    ex.write("https=" + ex.serverVariable("HTTPS") + "\n");
  }

  void onEvent(Ravadid& app, const std::string& event) const override {
    Exchange& ex = app.exchange();
    if (event == "Remember") {
      // The server keeps only sessions in which someone is signed in.
      ex.session().set("User", Value("echo"));
      ex.session().set("Color", Value(ex.form("color")));
      ex.write("stored");
    } else if (event == "SignOut") {
      ex.session().set("USER", Value("  "));
      ex.write("signed out");
    } else if (event == "Recall") {
      ex.write("color=" + ex.session().text("COLOR"));
    } else if (event == "Renew") {
      ex.renewSessionId();
      ex.write("renewed");
    } else if (event == "Abandon") {
      ex.abandonSession();
      ex.session().set("Color", Value("lost"));
      ex.write("abandoned");
    } else if (event == "Redirect") {
      ex.write("before");
      ex.redirect("RavadidLarkdale.asp?WCI=Echo&WCE=Recall");
      ex.write("after");
    } else if (event == "End") {
      ex.write("kept");
      ex.end();
      ex.write("dropped");
    } else if (event == "Status") {
      ex.setStatus(404);
      ex.write("custom page");
    } else if (event == "Template") {
      app.writeTemplate(*this);
    } else if (event == "Sleep") {
      std::this_thread::sleep_for(5ms);
      ex.write("slept");
    }
  }
};

std::shared_ptr<const PageRegistry> echoPages() {
  auto pages = std::make_shared<PageRegistry>();
  pages->add(std::make_unique<EchoPage>());
  return pages;
}

// ---- Raw sockets, for what a well-behaved client would never send -------------------------

bool isComplete(const std::string& response) {
  std::size_t headerEnd = response.find("\r\n\r\n");
  if (headerEnd == std::string::npos) return false;
  std::string headers = response.substr(0, headerEnd);
  for (char& c : headers) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::size_t length = 0;
  if (std::size_t at = headers.find("\r\ncontent-length:"); at != std::string::npos) {
    length = std::stoul(headers.substr(at + 17));
  }
  return response.size() >= headerEnd + 4 + length;
}

class RawConnection {
 public:
  explicit RawConnection(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
  }
  ~RawConnection() { close(); }
  RawConnection(const RawConnection&) = delete;
  RawConnection& operator=(const RawConnection&) = delete;

  bool connected() const { return connected_; }

  // False when the server closed the connection before taking everything.
  bool send(std::string_view data) {
    while (!data.empty()) {
      ssize_t n = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
      if (n <= 0) return false;
      data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }

  // One response (headers and a Content-Length body), or what came before the server closed
  // the connection or the time was up.
  std::string receiveAll(std::chrono::milliseconds timeout = 5000ms) {
    std::string received;
    auto deadline = Clock::now() + timeout;
    char buffer[65536];
    while (Clock::now() < deadline && !isComplete(received)) {
      pollfd p{fd_, POLLIN, 0};
      int wait = static_cast<int>(
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
      if (::poll(&p, 1, std::max(wait, 1)) <= 0) break;
      ssize_t n = ::recv(fd_, buffer, sizeof(buffer), 0);
      if (n <= 0) {
        closedByServer_ = true;
        break;
      }
      received.append(buffer, static_cast<std::size_t>(n));
    }
    return received;
  }

  bool closedByServer() const { return closedByServer_; }

  void close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
  bool connected_ = false;
  bool closedByServer_ = false;
};

// Resident memory of this process, where the server runs.
long residentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return resident * ::sysconf(_SC_PAGESIZE);
}

std::string headerOf(const std::string& response, const std::string& name) {
  std::string lowered = response.substr(0, response.find("\r\n\r\n"));
  for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::string key = "\r\n" + name + ": ";
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::size_t at = lowered.find(key);
  if (at == std::string::npos) return {};
  std::size_t start = at + key.size();
  return response.substr(start, response.find("\r\n", start) - start);
}

int statusOf(const std::string& response) {
  // "HTTP/1.1 404 Not Found"
  if (response.rfind("HTTP/1.", 0) != 0 || response.size() < 12) return 0;
  return std::stoi(response.substr(9, 3));
}

std::string requestLine(const std::string& target) {
  return "GET " + target + " HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n\r\n";
}

// ---- The fixture ---------------------------------------------------------------------------

class HttpServerTest : public ::testing::Test {
 protected:
  void SetUp() override { startServer(ServerOptions{}); }

  void startServer(ServerOptions options) {
    server.reset();
    options.port = 0;
    options.threads = 8;
    server = std::make_unique<HttpServer>(application, options);
    server->start();
    port = server->boundPort();
    ASSERT_GT(port, 0);
  }

  std::unique_ptr<httplib::Client> client() const {
    auto c = std::make_unique<httplib::Client>("127.0.0.1", port);
    c->set_connection_timeout(2);
    c->set_read_timeout(5);
    return c;
  }

  // Fetches a page and reports the time it took.
  httplib::Result timedGet(const std::string& path, std::chrono::milliseconds& took) const {
    auto start = Clock::now();
    auto result = client()->Get(path);
    took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    return result;
  }

  static std::string setCookieId(const httplib::Result& result) {
    std::string header = result->get_header_value("Set-Cookie");
    std::string prefix = std::string(kSessionCookie) + "=";
    if (header.rfind(prefix, 0) != 0) return {};
    return header.substr(prefix.size(), header.find(';') - prefix.size());
  }

  static httplib::Headers withSession(const std::string& id) {
    return {{"Cookie", std::string(kSessionCookie) + "=" + id}};
  }

  testing::TempInstallation installation{testing::TempInstallation::Data::None};
  WebApplication application{installation.installation(), echoPages()};
  std::unique_ptr<HttpServer> server;
  int port = 0;
};

// ---- Routing and static files --------------------------------------------------------------

TEST_F(HttpServerTest, RootRedirectsToThePage) {
  auto result = client()->Get("/");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 302);
  EXPECT_EQ(result->get_header_value("Location"), "/RavadidLarkdale.asp");
}

TEST_F(HttpServerTest, StyleSheetIsServedWithItsContentType) {
  std::ifstream in(installation.site() / "static" / "ravadid.css", std::ios::binary);
  std::string expected((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto result = client()->Get("/static/ravadid.css");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 200);
  EXPECT_EQ(result->get_header_value("Content-Type"), "text/css");
  EXPECT_EQ(result->get_header_value("X-Content-Type-Options"), "nosniff");
  EXPECT_EQ(result->body, expected);
}

TEST_F(HttpServerTest, UnknownPathIsASmallPlainNotFound) {
  for (const char* path : {"/missing.css", "/nothing", "/static/", "/templates/"}) {
    auto result = client()->Get(path);
    ASSERT_TRUE(result) << path;
    EXPECT_EQ(result->status, 404) << path;
    EXPECT_EQ(result->get_header_value("Content-Type"), "text/plain; charset=utf-8") << path;
    EXPECT_EQ(result->body, "404 Not Found\n") << path;
  }
}

TEST_F(HttpServerTest, NothingOutsideSiteOrPrivateInsideItIsServed) {
  fs::path base = installation.site().parent_path();
  std::ofstream(base / "outside.css") << "SECRET outside";
  std::ofstream(installation.site() / "trip.ini") << "SECRET ini";
  std::ofstream(installation.site() / ".hidden.css") << "SECRET hidden";
  fs::create_directories(installation.site() / ".git");
  std::ofstream(installation.site() / ".git" / "config.txt") << "SECRET git";
  fs::create_symlink(base / "outside.css", installation.site() / "static" / "escape.css");

  const char* targets[] = {
      "/../outside.css",
      "/static/../../outside.css",
      "/static/%2e%2e/%2e%2e/outside.css",
      "/static/%2E%2E/%2E%2E/outside.css",
      "/static/..%2f..%2foutside.css",
      "/static/..%5c..%5coutside.css",
      "/static/escape.css",
      "/trip.ini",
      "/TRIP.INI",
      "/.hidden.css",
      "/.git/config.txt",
      "/static/ravadid.css%00.png",
      "//outside.css",
  };
  for (const char* target : targets) {
    RawConnection connection(port);
    ASSERT_TRUE(connection.connected());
    ASSERT_TRUE(connection.send(requestLine(target)));
    std::string response = connection.receiveAll();
    int status = statusOf(response);
    EXPECT_TRUE(status == 400 || status == 404) << target << " answered " << status;
    EXPECT_EQ(response.find("SECRET"), std::string::npos) << target;
  }
}

TEST_F(HttpServerTest, PageAnswersToItsPathInAnyLetterCase) {
  for (const char* path : {"/RavadidLarkdale.asp?WCI=Echo", "/ravadidlarkdale.ASP?WCI=Echo"}) {
    auto result = client()->Get(path);
    ASSERT_TRUE(result) << path;
    EXPECT_EQ(result->status, 200) << path;
    EXPECT_EQ(result->get_header_value("Content-Type"), "text/html; charset=utf-8");
    EXPECT_NE(result->body.find("method=GET\n"), std::string::npos) << result->body;
  }
}

TEST_F(HttpServerTest, OtherMethodsAreRefused) {
  auto c = client();
  auto put = c->Put("/RavadidLarkdale.asp", "a=1", "application/x-www-form-urlencoded");
  ASSERT_TRUE(put);
  EXPECT_EQ(put->status, 405);
  auto postToFile = c->Post("/static/ravadid.css", "a=1", "application/x-www-form-urlencoded");
  ASSERT_TRUE(postToFile);
  EXPECT_EQ(postToFile->status, 404);
}

TEST_F(HttpServerTest, HeadOfThePageHasNoBody) {
  auto result = client()->Head("/RavadidLarkdale.asp?WCI=Echo");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 200);
  EXPECT_TRUE(result->body.empty());
}

// ---- Request items -------------------------------------------------------------------------

TEST_F(HttpServerTest, FormAndQueryItemsStayApart) {
  auto result = client()->Post("/RavadidLarkdale.asp?WCI=Echo&a=from%20query&WCU", "A=from%20form",
                               "application/x-www-form-urlencoded");
  ASSERT_TRUE(result);
  EXPECT_NE(result->body.find("form.a=from form\n"), std::string::npos) << result->body;
  EXPECT_NE(result->body.find("query.a=from query\n"), std::string::npos) << result->body;
  EXPECT_NE(result->body.find("method=POST\n"), std::string::npos) << result->body;
}

TEST_F(HttpServerTest, ItemsDecodeAndTheFirstOfRepeatedNamesWins) {
  struct Case {
    std::string body;
    std::string line;
  } cases[] = {
      {"a=1&a=2", "form.a=1\n"},
      {"A=x&a=y", "form.a=x\n"},
      {"a=O%27Brien+%26+Sons", "form.a=O'Brien & Sons\n"},
      {"eq=a%3Db=c", "form.eq=a=b=c\n"},
      {"a=caf%C3%A9", "form.a=caf\xC3\xA9\n"},
      {"a=nul%00byte", "form.a=nulbyte\n"},
      {"a", "form.a=\n"},
      {"&&a=1&&", "form.a=1\n"},
      {"%zz=1&a=%zz", "form.a=%zz\n"},
  };
  auto c = client();
  for (const Case& test : cases) {
    auto result =
        c->Post("/RavadidLarkdale.asp?WCI=Echo", test.body, "application/x-www-form-urlencoded");
    ASSERT_TRUE(result) << test.body;
    EXPECT_NE(result->body.find(test.line), std::string::npos) << test.body << "\n" << result->body;
  }
}

TEST_F(HttpServerTest, PlusInTheQueryIsABlank) {
  RawConnection connection(port);
  ASSERT_TRUE(connection.send(requestLine("/RavadidLarkdale.asp?WCI=Echo&a=x+y%2Bz")));
  std::string response = connection.receiveAll();
  EXPECT_NE(response.find("query.a=x y+z\n"), std::string::npos) << response;
}

TEST_F(HttpServerTest, BareQueryItemCountsAsPresent) {
  auto c = client();
  auto with = c->Get("/RavadidLarkdale.asp?WCI=Echo&WCE&WCU");
  ASSERT_TRUE(with);
  EXPECT_NE(with->body.find("has.wcu=yes\n"), std::string::npos);
  EXPECT_NE(with->body.find("has.nope=no\n"), std::string::npos);
  auto without = c->Get("/RavadidLarkdale.asp?WCI=Echo");
  ASSERT_TRUE(without);
  EXPECT_NE(without->body.find("has.wcu=no\n"), std::string::npos);
}

TEST_F(HttpServerTest, LargeFormWithinTheLimitReachesThePage) {
  std::string big(200000, 'x');
  auto result = client()->Post("/RavadidLarkdale.asp?WCI=Echo", "a=1&big=" + big,
                               "application/x-www-form-urlencoded");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 200);
  EXPECT_NE(result->body.find("form.big=200000\n"), std::string::npos) << result->body;
}

TEST_F(HttpServerTest, OtherBodiesGiveNoFormItems) {
  auto c = client();
  auto multipart = c->Post("/RavadidLarkdale.asp?WCI=Echo",
                           httplib::MultipartFormDataItems{{"a", "in multipart", "", ""}});
  ASSERT_TRUE(multipart);
  EXPECT_EQ(multipart->status, 200);
  EXPECT_NE(multipart->body.find("form.a=\n"), std::string::npos) << multipart->body;
  auto json = c->Post("/RavadidLarkdale.asp?WCI=Echo", "a=1", "application/json");
  ASSERT_TRUE(json);
  EXPECT_NE(json->body.find("form.a=\n"), std::string::npos) << json->body;
}

TEST_F(HttpServerTest, SitePathIsTheSiteFolderEndingInSlash) {
  auto result = client()->Get("/RavadidLarkdale.asp?WCI=Echo");
  ASSERT_TRUE(result);
  EXPECT_NE(result->body.find("site=" + installation.installation().siteText() + "\n"),
            std::string::npos)
      << result->body;
  EXPECT_EQ(installation.installation().siteText().back(), '/');
}

// ---- Request bodies --------------------------------------------------------------------

TEST_F(HttpServerTest, ChunkedBodyOverTheLimitIsRefusedBeforeItIsAllSent) {
  constexpr std::size_t kBody = 16 * 1024 * 1024;
  constexpr std::size_t kChunk = 0x10000;
  long before = residentBytes();
  RawConnection connection(port);
  ASSERT_TRUE(
      connection.send("POST /RavadidLarkdale.asp?WCI=Echo&WCE=Remember HTTP/1.1\r\nHost: x\r\n"
                      "Content-Type: application/x-www-form-urlencoded\r\n"
                      "Transfer-Encoding: chunked\r\n\r\n"));
  std::string chunk = "10000\r\n" + std::string(kChunk, 'x') + "\r\n";
  std::size_t sent = 0;
  while (sent < kBody && connection.send(chunk)) sent += kChunk;
  std::string response = connection.receiveAll();
  EXPECT_EQ(statusOf(response), 413) << response.substr(0, 200);
  EXPECT_LT(sent, kBody) << "the server read the whole body";
  EXPECT_LT(residentBytes() - before, 8L << 20);
  EXPECT_EQ(server->sessions().size(), 0u) << "the page must not have run";
  auto after = client()->Get("/static/ravadid.css");
  ASSERT_TRUE(after);
  EXPECT_EQ(after->status, 200);
}

TEST_F(HttpServerTest, BodiesFramedAmbiguouslyOrWhereNoneBelongsAreRefusedAndTheConnectionClosed) {
  const std::string post =
      "POST /RavadidLarkdale.asp?WCI=Echo HTTP/1.1\r\nHost: x\r\n"
      "Content-Type: application/x-www-form-urlencoded\r\n";
  const std::string chunked = "5\r\na=123\r\n0\r\n\r\n";
  struct Case {
    std::string request;
    int status;
  } cases[] = {
      {post + "Content-Length: 3\r\nContent-Length: 5\r\n\r\na=123", 400},
      {post + "Content-Length: 5\r\nTransfer-Encoding: chunked\r\n\r\n" + chunked, 400},
      {post + "Transfer-Encoding: chunked\r\nContent-Length: 5\r\n\r\n" + chunked, 400},
      {post + "Transfer-Encoding: gzip, chunked\r\n\r\n" + chunked, 400},
      {post + "Content-Length: 5x\r\n\r\na=123", 400},
      {post + "Content-Length: 99999999999999999999\r\n\r\n", 400},
      {post + "Content-Length: 2000000\r\n\r\na=123", 413},
      {"POST /RavadidLarkdale.asp?WCI=Echo HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n"
       "Content-Type: multipart/form-data; boundary=zz\r\n\r\n" +
           chunked,
       411},
      {"GET /RavadidLarkdale.asp?WCI=Echo HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\n\r\na=123",
       400},
      {"POST /static/ravadid.css HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n" +
           chunked,
       404},
      // Well framed: answered, and the connection stays open.
      {post + "Content-Length: 5\r\nContent-Length: 5\r\n\r\na=123", 200},
      {post + "Transfer-Encoding: chunked\r\n\r\n" + chunked, 200},
      {post + "\r\n", 200},  // no body at all
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request.substr(0, 160));
    RawConnection connection(port);
    ASSERT_TRUE(connection.send(c.request));
    std::string response = connection.receiveAll();
    EXPECT_EQ(statusOf(response), c.status) << response;
    connection.receiveAll(c.status == 200 ? 200ms : 2000ms);
    EXPECT_EQ(connection.closedByServer(), c.status != 200);
    if (c.status == 200 && c.request.find("a=123") != std::string::npos) {
      EXPECT_NE(response.find("form.a=123\n"), std::string::npos) << response;
    }
  }
}

// ---- Ranges ----------------------------------------------------------------------------

TEST_F(HttpServerTest, PageIgnoresRangesAndStaticFilesAnswerOnlyAFewOrderedOnes) {
  auto c = client();
  auto page = c->Get("/RavadidLarkdale.asp?WCI=Echo", {{"Range", "bytes=0-9"}});
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_FALSE(page->has_header("Content-Range"));
  EXPECT_NE(page->body.find("method=GET\n"), std::string::npos) << page->body;

  std::ifstream in(installation.site() / "static" / "ravadid.css", std::ios::binary);
  std::string css((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(css.size(), 100u);
  std::string thousands = "bytes=0-";
  for (int i = 0; i < 2600; ++i) thousands += ",0-";
  const std::string multipart = "multipart";
  struct Case {
    std::string range;
    int status;
    std::string body;  // "multipart": several parts
  } cases[] = {
      {"bytes=0-9", 206, css.substr(0, 10)},
      {"bytes=-5", 206, css.substr(css.size() - 5)},
      {"bytes=0-9,20-29", 206, multipart},
      {"bytes=0-0,2-2,4-4,6-6,8-8", 206, multipart},
      {"bytes=0-0,2-2,4-4,6-6,8-8,10-10", 200, css},
      {"bytes=0-99,50-149", 200, css},
      {"bytes=20-29,0-9", 200, css},
      {"bytes=0-9,-5", 206, multipart},
      {"bytes=0-,-5", 200, css},
      {thousands, 200, css},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.range.substr(0, 40));
    auto result = c->Get("/static/ravadid.css", {{"Range", test.range}});
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, test.status);
    if (test.body == multipart) {
      EXPECT_EQ(result->get_header_value("Content-Type").rfind("multipart/byteranges", 0), 0u);
      EXPECT_LT(result->body.size(), 1000u);
    } else {
      EXPECT_EQ(result->body, test.body);
    }
  }
}

// ---- Responses -----------------------------------------------------------------------------

TEST_F(HttpServerTest, RedirectEndsTheResponseAndDropsItsText) {
  auto result = client()->Get("/RavadidLarkdale.asp?WCI=Echo&WCE=Redirect");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 302);
  EXPECT_EQ(result->get_header_value("Location"), "RavadidLarkdale.asp?WCI=Echo&WCE=Recall");
  EXPECT_EQ(result->body.find("before"), std::string::npos);
  EXPECT_EQ(result->body.find("after"), std::string::npos);
}

TEST_F(HttpServerTest, PageWrittenFromLargeTagsArrivesWholeAndInOrder) {
  installation.writeTemplate(
      "Echo", "<html>a<WC@ROOMY>r</WC@ROOMY>b<WC@SMALL>s</WC@SMALL><WC@TIGHT>t</WC@TIGHT>c</html>");
  auto result = client()->Get("/RavadidLarkdale.asp?WCI=Echo&WCE=Template");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->body, "<html>a" + std::string(200'000, 'r') + "bsss" +
                              std::string(200'000, 't') + "c</html>");
}

TEST_F(HttpServerTest, WritesAfterEndAreDropped) {
  auto result = client()->Get("/RavadidLarkdale.asp?WCI=Echo&WCE=End");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 200);
  EXPECT_EQ(testing::messageOf(result->body), "kept");
}

TEST_F(HttpServerTest, StatusSetByThePageKeepsThePageText) {
  auto result = client()->Get("/RavadidLarkdale.asp?WCI=Echo&WCE=Status");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 404);
  EXPECT_EQ(testing::messageOf(result->body), "custom page");
}

// ---- Sessions ------------------------------------------------------------------------------

TEST_F(HttpServerTest, SessionCookieIsHttpOnlyAndSameSiteLax) {
  auto result = client()->Post("/RavadidLarkdale.asp?WCI=Echo&WCE=Remember", "color=blue",
                               "application/x-www-form-urlencoded");
  ASSERT_TRUE(result);
  std::string cookie = result->get_header_value("Set-Cookie");
  EXPECT_NE(cookie.find("; HttpOnly"), std::string::npos) << cookie;
  EXPECT_NE(cookie.find("; SameSite=Lax"), std::string::npos) << cookie;
  EXPECT_TRUE(SessionManager::isWellFormedId(setCookieId(result))) << cookie;
}

TEST_F(HttpServerTest, SessionCarriesItemsBetweenRequestsIgnoringKeyCase) {
  auto c = client();
  auto stored = c->Post("/RavadidLarkdale.asp?WCI=Echo&WCE=Remember", "color=blue",
                        "application/x-www-form-urlencoded");
  ASSERT_TRUE(stored);
  std::string id = setCookieId(stored);
  auto recalled = c->Get("/RavadidLarkdale.asp?WCI=Echo&WCE=Recall", withSession(id));
  ASSERT_TRUE(recalled);
  EXPECT_EQ(testing::messageOf(recalled->body), "color=blue");
  EXPECT_FALSE(recalled->has_header("Set-Cookie"));
  auto stranger = c->Get("/RavadidLarkdale.asp?WCI=Echo&WCE=Recall");
  ASSERT_TRUE(stranger);
  EXPECT_EQ(testing::messageOf(stranger->body), "color=");
}

TEST_F(HttpServerTest, RequestsThatDoNotStoreAnythingStartNoSession) {
  auto c = client();
  for (int i = 0; i < 5; ++i) {
    auto result = c->Get("/RavadidLarkdale.asp?WCI=Echo&WCE=Recall");
    ASSERT_TRUE(result);
    EXPECT_FALSE(result->has_header("Set-Cookie"));
  }
  EXPECT_EQ(server->sessions().size(), 0u);
}

TEST_F(HttpServerTest, RenewedSessionIdLeavesTheOldCookieWithNothing) {
  auto c = client();
  auto stored = c->Post("/RavadidLarkdale.asp?WCI=Echo&WCE=Remember", "color=blue",
                        "application/x-www-form-urlencoded");
  ASSERT_TRUE(stored);
  std::string oldId = setCookieId(stored);
  auto renewed = c->Get("/RavadidLarkdale.asp?WCI=Echo&WCE=Renew", withSession(oldId));
  ASSERT_TRUE(renewed);
  std::string newId = setCookieId(renewed);
  ASSERT_TRUE(SessionManager::isWellFormedId(newId));
  EXPECT_NE(newId, oldId);
  EXPECT_EQ(testing::messageOf(
                c->Get("/RavadidLarkdale.asp?WCI=Echo&WCE=Recall", withSession(oldId))->body),
            "color=");
  EXPECT_EQ(testing::messageOf(
                c->Get("/RavadidLarkdale.asp?WCI=Echo&WCE=Recall", withSession(newId))->body),
            "color=blue");
}

TEST_F(HttpServerTest, AbandonedSessionIsGoneAndItsCookieCleared) {
  auto c = client();
  auto stored = c->Post("/RavadidLarkdale.asp?WCI=Echo&WCE=Remember", "color=blue",
                        "application/x-www-form-urlencoded");
  ASSERT_TRUE(stored);
  std::string id = setCookieId(stored);
  auto abandoned = c->Get("/RavadidLarkdale.asp?WCI=Echo&WCE=Abandon", withSession(id));
  ASSERT_TRUE(abandoned);
  EXPECT_NE(abandoned->get_header_value("Set-Cookie").find("Max-Age=0"), std::string::npos);
  EXPECT_EQ(
      testing::messageOf(c->Get("/RavadidLarkdale.asp?WCI=Echo&WCE=Recall", withSession(id))->body),
      "color=");
  EXPECT_EQ(server->sessions().size(), 0u);
}

TEST_F(HttpServerTest, SignedInPagesAreNotStoredAndASessionSignedOutIsDropped) {
  auto c = client();
  auto anonymous = c->Get("/RavadidLarkdale.asp?WCI=Echo&WCE=Recall");
  ASSERT_TRUE(anonymous);
  EXPECT_EQ(anonymous->get_header_value("Cache-Control"), "private");
  auto stored = c->Post("/RavadidLarkdale.asp?WCI=Echo&WCE=Remember", "color=blue",
                        "application/x-www-form-urlencoded");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->get_header_value("Cache-Control"), "no-store");
  std::string id = setCookieId(stored);
  auto recalled = c->Get("/RavadidLarkdale.asp?WCI=Echo&WCE=Recall", withSession(id));
  ASSERT_TRUE(recalled);
  EXPECT_EQ(recalled->get_header_value("Cache-Control"), "no-store");

  auto signedOut = c->Get("/RavadidLarkdale.asp?WCI=Echo&WCE=SignOut", withSession(id));
  ASSERT_TRUE(signedOut);
  EXPECT_NE(signedOut->get_header_value("Set-Cookie").find("Max-Age=0"), std::string::npos);
  EXPECT_EQ(signedOut->get_header_value("Cache-Control"), "private");
  EXPECT_EQ(server->sessions().size(), 0u);
  EXPECT_EQ(
      testing::messageOf(c->Get("/RavadidLarkdale.asp?WCI=Echo&WCE=Recall", withSession(id))->body),
      "color=");
}

TEST_F(HttpServerTest, CookieIsSecureOnlyWhenTheLocalProxyReportsHttps) {
  auto c = client();
  for (bool https : {false, true}) {
    SCOPED_TRACE(https);
    httplib::Headers headers;
    if (https) headers.emplace("X-Forwarded-Proto", "https");
    auto stored = c->Post("/RavadidLarkdale.asp?WCI=Echo&WCE=Remember", headers, "color=blue",
                          "application/x-www-form-urlencoded");
    ASSERT_TRUE(stored);
    std::string cookie = stored->get_header_value("Set-Cookie");
    EXPECT_EQ(cookie.find("; Secure") != std::string::npos, https) << cookie;
    auto page = c->Get("/RavadidLarkdale.asp?WCI=Echo", headers);
    ASSERT_TRUE(page);
    EXPECT_NE(page->body.find(https ? "https=on\n" : "https=off\n"), std::string::npos);
  }
}

TEST_F(HttpServerTest, NoResponseMayBeShownInAFrame) {
  std::vector<std::string> responses;
  for (const char* target :
       {"/RavadidLarkdale.asp?WCI=Echo", "/static/ravadid.css", "/missing.css", "/"}) {
    RawConnection connection(port);
    ASSERT_TRUE(connection.send(requestLine(target)));
    responses.push_back(connection.receiveAll());
  }
  for (const std::string& raw :
       {std::string("garbage\r\n\r\n"),
        std::string(
            "POST /RavadidLarkdale.asp HTTP/1.1\r\nHost: x\r\nContent-Length: 9999999\r\n\r\n")}) {
    RawConnection connection(port);
    ASSERT_TRUE(connection.send(raw));
    responses.push_back(connection.receiveAll(2000ms));
  }
  for (const std::string& response : responses) {
    SCOPED_TRACE(response.substr(0, 12));
    EXPECT_NE(statusOf(response), 0);
    EXPECT_EQ(headerOf(response, "X-Frame-Options"), "DENY");
    EXPECT_EQ(headerOf(response, "Content-Security-Policy"), "frame-ancestors 'none'");
  }
}

// ---- Load and misbehaving clients ----------------------------------------------------------

TEST_F(HttpServerTest, TwoHundredConcurrentRequestsAllSucceed) {
  std::atomic<int> ok{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 20; ++t) {
    threads.emplace_back([this, &ok, t] {
      auto c = client();
      for (int i = 0; i < 10; ++i) {
        auto result = (i + t) % 2 ? c->Get("/RavadidLarkdale.asp?WCI=Echo&WCE=Sleep")
                                  : c->Get("/static/ravadid.css");
        if (result && result->status == 200) ++ok;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(ok, 200);
}

TEST_F(HttpServerTest, TwoHundredSimultaneousConnectionsAreAllAnswered) {
  std::vector<std::unique_ptr<RawConnection>> connections;
  for (int i = 0; i < 200; ++i) {
    connections.push_back(std::make_unique<RawConnection>(port));
    ASSERT_TRUE(connections.back()->connected());
  }
  for (auto& connection : connections) {
    ASSERT_TRUE(connection->send(requestLine("/RavadidLarkdale.asp?WCI=Echo")));
  }
  int ok = 0;
  for (auto& connection : connections) {
    if (statusOf(connection->receiveAll(10000ms)) == 200) ++ok;
  }
  EXPECT_EQ(ok, 200);
}

TEST_F(HttpServerTest, MalformedRequestsNeitherCrashNorStallTheServer) {
  {
    RawConnection garbage(port);
    static constexpr char kGarbage[] = "\x00\xff\xfe\x01 garbage \x7f\r\n\r\n";
    garbage.send(std::string_view(kGarbage, sizeof(kGarbage) - 1));
    int status = statusOf(garbage.receiveAll(3000ms));
    EXPECT_TRUE(status == 400 || status == 0) << status;
  }
  {
    RawConnection hugeHeader(port);
    hugeHeader.send("GET /static/ravadid.css HTTP/1.1\r\nHost: x\r\nX-Big: " +
                    std::string(200000, 'a') + "\r\n\r\n");
    int status = statusOf(hugeHeader.receiveAll(3000ms));
    EXPECT_TRUE(status == 400 || status == 431 || status == 0) << status;
  }
  {
    RawConnection hugeUrl(port);
    hugeUrl.send(requestLine("/RavadidLarkdale.asp?WCI=" + std::string(100000, 'E')));
    int status = statusOf(hugeUrl.receiveAll(3000ms));
    EXPECT_TRUE(status == 400 || status == 414 || status == 0) << status;
  }
  {
    RawConnection tooLarge(port);
    std::string body(2 * 1024 * 1024, 'x');
    tooLarge.send(
        "POST /RavadidLarkdale.asp?WCI=Echo&WCE=Remember HTTP/1.1\r\nHost: x\r\n"
        "Content-Type: application/x-www-form-urlencoded\r\nConnection: close\r\n"
        "Content-Length: " +
        std::to_string(body.size()) + "\r\n\r\ncolor=" + body);
    int status = statusOf(tooLarge.receiveAll(5000ms));
    EXPECT_TRUE(status == 413 || status == 0) << status;
    EXPECT_EQ(server->sessions().size(), 0u) << "the page must not have run";
  }
  {
    RawConnection lyingLength(port);
    lyingLength.send(
        "POST /RavadidLarkdale.asp?WCI=Echo HTTP/1.1\r\nHost: x\r\nContent-Length: "
        "99999999999999999999\r\n\r\n");
    // The server reads past the declared body until the client leaves or the read times out.
    int status = statusOf(lyingLength.receiveAll(300ms));
    EXPECT_TRUE(status == 400 || status == 413 || status == 0) << status;
  }

  // Clients that hold a connection and send nothing or half a request.
  RawConnection silent(port);
  RawConnection halfRequest(port);
  ASSERT_TRUE(silent.connected());
  ASSERT_TRUE(halfRequest.send("GET /static/ravadid.css HTTP/1.1\r\nHost: x\r\n"));
  RawConnection halfBody(port);
  ASSERT_TRUE(
      halfBody.send("POST /RavadidLarkdale.asp?WCI=Echo HTTP/1.1\r\nHost: x\r\n"
                    "Content-Type: application/x-www-form-urlencoded\r\n"
                    "Content-Length: 1000\r\n\r\na=1"));
  std::this_thread::sleep_for(100ms);
  std::chrono::milliseconds took;
  auto during = timedGet("/RavadidLarkdale.asp?WCI=Echo", took);
  ASSERT_TRUE(during);
  EXPECT_EQ(during->status, 200);
  EXPECT_LT(took, 1000ms);

  silent.close();
  halfRequest.close();
  halfBody.close();
  auto after = timedGet("/static/ravadid.css", took);
  ASSERT_TRUE(after);
  EXPECT_EQ(after->status, 200);
  EXPECT_LT(took, 1000ms);
}

TEST_F(HttpServerTest, ClientThatSendsNothingIsDroppedAfterTheTimeouts) {
  ServerOptions options;
  options.limits.readTimeout = 1s;
  options.limits.keepAliveTimeout = 1s;
  startServer(options);
  RawConnection silent(port);
  ASSERT_TRUE(silent.connected());
  auto start = Clock::now();
  silent.receiveAll(6000ms);
  EXPECT_TRUE(silent.closedByServer());
  EXPECT_LT(Clock::now() - start, 4s);
}

TEST_F(HttpServerTest, ClientsLeavingBeforeTheAnswerDoNotHarmTheServer) {
  {
    std::ofstream big(installation.site() / "static" / "big.txt", std::ios::binary);
    big << std::string(8 * 1024 * 1024, 'b');
  }
  for (int i = 0; i < 20; ++i) {
    RawConnection leaving(port);
    leaving.send(requestLine("/static/big.txt"));
    leaving.close();  // the server writes into a closed connection
  }
  std::chrono::milliseconds took;
  auto result = timedGet("/RavadidLarkdale.asp?WCI=Echo", took);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 200);
}

TEST_F(HttpServerTest, StopsPromptlyAndCanBeStoppedTwice) {
  auto start = Clock::now();
  server->stop();
  server->stop();
  EXPECT_LT(Clock::now() - start, 3s);
  EXPECT_FALSE(client()->Get("/static/ravadid.css"));
}

TEST(HttpServerStandardPagesTest, BarePageAnswersTwoHundredConcurrentRequests) {
  testing::TempInstallation installation;
  WebApplication application(installation.installation(), makeStandardPages());
  ServerOptions options;
  options.port = 0;
  HttpServer server(application, options);
  server.start();
  std::atomic<int> ok{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 20; ++t) {
    threads.emplace_back([&server, &ok] {
      httplib::Client c("127.0.0.1", server.boundPort());
      c.set_read_timeout(10);
      for (int i = 0; i < 10; ++i) {
        auto result = c.Get("/RavadidLarkdale.asp");
        if (result && result->status == 200 && !result->body.empty()) ++ok;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(ok, 200);
}

TEST(HttpServerBindTest, SecondServerOnABusyPortFailsToStart) {
  testing::TempInstallation installation(testing::TempInstallation::Data::None);
  WebApplication application(installation.installation(), echoPages());
  ServerOptions options;
  options.port = 0;
  HttpServer first(application, options);
  first.start();
  options.port = first.boundPort();
  HttpServer second(application, options);
  EXPECT_THROW(second.start(), std::runtime_error);
}

}  // namespace
}  // namespace ravadid
