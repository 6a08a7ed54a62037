// The hidden browser against a page that tries every way of speaking to the
// user: it stays hidden, and nothing comes on the screen.

#include <gtest/gtest.h>
#include <QApplication>
#include <QWebEngineView>
#include <QWidget>

#include "app/browser_engine.hpp"
#include "app/download_window.hpp"
#include "app/qt_text.hpp"
#include "app_support.hpp"
#include "support/test_server.hpp"

namespace orvu::app::test {
namespace {

using orvu::test::Reply;
using orvu::test::TestServer;

const char* const hostile_page = R"(<!doctype html><html><head><meta charset="utf-8"></head><body>
<p>Hello</p>
<script>
  alert("alert");
  confirm("confirm");
  prompt("prompt", "x");
  window.open("/popup", "_blank");
  window.print();
  navigator.geolocation.getCurrentPosition(function () {}, function () {});
  navigator.mediaDevices && navigator.mediaDevices.getUserMedia({audio: true}).catch(function () {});
  Notification.requestPermission();
  document.documentElement.requestFullscreen && document.documentElement.requestFullscreen().catch(function () {});
  window.onbeforeunload = function () { return "stay"; };
  document.title = "ran";
</script>
<img src="/auth">
</body></html>)";

TEST(HiddenBrowser, AHostilePageShowsNothingAndTheBrowserStaysHidden) {
    TestServer server(TestServer::Kind::http, std::chrono::seconds(60));
    server.reply_with([](const orvu::test::RecordedRequest& request) {
        if (request.target() == "/auth") {
            return Reply::http(401, "Unauthorized", "WWW-Authenticate: Basic realm=\"x\"\r\n", "");
        }
        return Reply::ok(hostile_page, "Content-Type: text/html; charset=utf-8\r\n");
    });
    BoxWatcher boxes;  // a box that came up would be read, closed and counted
    BrowserEngine engine;
    QWidget window;
    window.setObjectName(QStringLiteral("window"));
    HiddenBrowser browser(&window, engine.profile());
    browser.setObjectName(QStringLiteral("browser"));
    browser.hide();
    window.show();
    const QStringList before = visible_windows();

    bool loaded = false;
    QObject::connect(&browser, &QWebEngineView::loadFinished, [&loaded](bool) { loaded = true; });
    browser.set_address(Text(server.host() + "/page"));  // no scheme: taken as http://
    ASSERT_TRUE(wait_until([&loaded] { return loaded; }));
    ASSERT_TRUE(wait_until([&browser] { return browser.title() == QStringLiteral("ran"); }));
    serve_events(500);
    EXPECT_EQ(browser.url().toString(), QString::fromStdString(server.origin() + "/page"));
    EXPECT_FALSE(browser.isVisible());
    browser.show();  // nothing shows it, not even this
    serve_events(100);
    EXPECT_FALSE(browser.isVisible());
    EXPECT_EQ(visible_windows(), before);
    EXPECT_TRUE(boxes.boxes().empty()) << boxes.texts().join(' ').toStdString();

    // Leaving the page asks nothing either.
    loaded = false;
    browser.set_address(Text(server.host() + "/next"));
    ASSERT_TRUE(wait_until([&loaded] { return loaded; }));
    serve_events(200);
    EXPECT_EQ(visible_windows(), before);
    EXPECT_TRUE(boxes.boxes().empty());
}

}  // namespace
}  // namespace orvu::app::test
