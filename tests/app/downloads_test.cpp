// The download prompt: safe names, progress, several files at once, failures,
// and a shut-down that leaves no partial file under a final name.

#include <gtest/gtest.h>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QWebEngineDownloadRequest>
#include <map>

#include "app/browser_engine.hpp"
#include "app/download_progress.hpp"
#include "app/file_names.hpp"
#include "app_support.hpp"
#include "support/test_server.hpp"

namespace orvu::app::test {
namespace {

using orvu::test::Reply;
using orvu::test::TestServer;

TEST(SafeFileName, KeepsTheFileInsideItsFolder) {
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("帝霸.txt"), QStringLiteral("帝霸.txt")},
        {QStringLiteral("../../etc/passwd"), QStringLiteral("passwd")},
        {QStringLiteral("..\\..\\Windows\\win.ini"), QStringLiteral("win.ini")},
        {QStringLiteral(".."), fallback_file_name},
        {QStringLiteral("."), fallback_file_name},
        {QStringLiteral(""), fallback_file_name},
        {QStringLiteral("dir/"), fallback_file_name},
        {QStringLiteral(".bashrc"), QStringLiteral("bashrc")},
        {QStringLiteral("  ...hidden.txt"), QStringLiteral("hidden.txt")},
        {QStringLiteral("book.txt. . "), QStringLiteral("book.txt")},
        {QStringLiteral("a\nb\rc\td\x01"
                        "e.txt"),
         QStringLiteral("a_b_c_d_e.txt")},
        {QStringLiteral("a:b*c?d\"e<f>g|h.txt"), QStringLiteral("a_b_c_d_e_f_g_h.txt")},
        {QString::fromUtf8("evil\u202Etxt.exe"), QStringLiteral("evil_txt.exe")},
        {QStringLiteral("CON.txt"), QStringLiteral("_CON.txt")},
        {QStringLiteral("nul"), QStringLiteral("_nul")},
        {QStringLiteral("console.txt"), QStringLiteral("console.txt")},
        {QStringLiteral("///"), fallback_file_name},
        {QStringLiteral("\x01\x02"), fallback_file_name},
    };
    for (const auto& [suggested, expected] : cases) {
        EXPECT_EQ(safe_file_name(suggested), expected) << suggested.toStdString();
    }
}

TEST(SafeFileName, CutsLongNamesKeepingTheExtensionAndWholeCharacters) {
    const QString long_ascii = QString(300, u'a') + QStringLiteral(".txt");
    const QString cut = safe_file_name(long_ascii);
    EXPECT_EQ(cut.toUtf8().size(), max_file_name_bytes);
    EXPECT_TRUE(cut.endsWith(QStringLiteral(".txt")));

    QString emoji;
    for (int i = 0; i < 100; ++i)
        emoji += QString::fromUtf8("\U0001F4D6");  // 4 bytes each
    const QString cut_emoji = safe_file_name(emoji + QStringLiteral(".txt"));
    EXPECT_LE(cut_emoji.toUtf8().size(), max_file_name_bytes);
    EXPECT_FALSE(cut_emoji.contains(QChar::ReplacementCharacter));
    EXPECT_TRUE(cut_emoji.toUtf8().startsWith(QString::fromUtf8("\U0001F4D6").toUtf8()));
    EXPECT_EQ((cut_emoji.size() - 4) % 2, 0) << "no surrogate pair split";
}

TEST(ReadableSize, StepsThroughTheUnits) {
    EXPECT_EQ(readable_size(0), QStringLiteral("0 B"));
    EXPECT_EQ(readable_size(1023), QStringLiteral("1023 B"));
    EXPECT_EQ(readable_size(1536), QStringLiteral("1.5 KB"));
    EXPECT_EQ(readable_size(5 * 1024 * 1024), QStringLiteral("5.0 MB"));
}

std::string text_file(int size, char fill) {
    return std::string(static_cast<std::size_t>(size), fill);
}

Reply attachment(const std::string& name, const std::string& body) {
    return Reply::http(200, "OK",
                       "Content-Type: text/plain\r\nContent-Disposition: attachment; filename=\"" +
                           name + "\"\r\n",
                       body);
}

class DownloadsTest : public testing::Test {
  protected:
    DownloadsTest() : downloads_(std::make_unique<Downloads>(engine_.profile(), save_location_)) {}
    ~DownloadsTest() override {
        downloads_.reset();
        // Before the folder goes: the engine may still be ending a partial file.
        wait_until(
            [this] { return files_in(folder_.path()).filter(QStringLiteral(".part")).isEmpty(); },
            5000);
    }

    // The engine ends a download in its own time; what it wrote must be gone
    // once it has.
    bool folder_empties() {
        return wait_until([this] { return files_in(folder_.path()).isEmpty(); }, 5000);
    }

    Transfer* only_transfer() {
        return downloads_->transfers().size() == 1 ? downloads_->transfers()[0].get() : nullptr;
    }
    bool all_finished(std::size_t count) {
        if (downloads_->transfers().size() != count) return false;
        for (const auto& transfer : downloads_->transfers()) {
            if (!transfer->finished()) return false;
        }
        return true;
    }

    TestServer server_{TestServer::Kind::http, std::chrono::seconds(60)};
    QTemporaryDir folder_;
    FolderSaveLocation save_location_{folder_.path()};
    BrowserEngine engine_;
    std::unique_ptr<Downloads> downloads_;
};

TEST_F(DownloadsTest, SeveralFilesAtOnceEachSavedWhole) {
    const std::map<std::string, std::string> files = {
        {"/a.txt", text_file(300000, 'a')},
        {"/b.txt", text_file(1, 'b')},
        {"/c.txt", text_file(2000000, 'c')},
    };
    server_.reply_with([&files](const orvu::test::RecordedRequest& request) {
        const std::string& body = files.at(request.target());
        Reply reply = attachment(request.target().substr(1), body);
        reply.delay_before = std::chrono::milliseconds(300);  // so that all three overlap
        return reply;
    });
    for (const auto& [path, body] : files) {
        downloads_->open_address(QString::fromStdString(server_.origin() + path));
    }
    ASSERT_TRUE(wait_until([this] { return all_finished(3); }));
    for (const auto& transfer : downloads_->transfers()) {
        EXPECT_TRUE(transfer->saved());
        const QString name = QFileInfo(transfer->final_path()).fileName();
        EXPECT_EQ(file_bytes(transfer->final_path()).toStdString(),
                  files.at("/" + name.toStdString()));
        EXPECT_TRUE(transfer->window().status().startsWith(QString::fromUtf8("已保存：")));
    }
    EXPECT_EQ(
        files_in(folder_.path()),
        (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")}));
}

// Both were saved under one name: each is written apart, and the one that ends
// last is the file.
TEST_F(DownloadsTest, TwoDownloadsSavedUnderOneNameNeverMix) {
    server_.reply_with([](const orvu::test::RecordedRequest& request) {
        const bool slow = request.target() == "/slow";
        Reply reply = attachment("same.txt", text_file(slow ? 500000 : 200000, slow ? 's' : 'f'));
        if (slow) reply.delay_before = std::chrono::milliseconds(400);
        return reply;
    });
    downloads_->open_address(QString::fromStdString(server_.origin() + "/slow"));
    downloads_->open_address(QString::fromStdString(server_.origin() + "/fast"));
    ASSERT_TRUE(wait_until([this] { return all_finished(2); }));
    for (const auto& transfer : downloads_->transfers())
        EXPECT_TRUE(transfer->saved());
    EXPECT_EQ(files_in(folder_.path()), QStringList{QStringLiteral("same.txt")});
    const QByteArray saved = file_bytes(QDir(folder_.path()).filePath("same.txt"));
    EXPECT_TRUE(saved == QByteArray(500000, 's') || saved == QByteArray(200000, 'f'))
        << "not one whole file: " << saved.size() << " bytes";
}

TEST_F(DownloadsTest, AHostileServerNameStaysInTheFolder) {
    server_.reply_always(attachment("../../../escaped.txt", "text"));
    downloads_->open_address(QString::fromStdString(server_.origin() + "/x"));
    ASSERT_TRUE(wait_until([this] { return all_finished(1); }));
    ASSERT_EQ(save_location_.proposed().size(), 1);
    EXPECT_FALSE(save_location_.proposed()[0].contains(u'/'));
    EXPECT_FALSE(save_location_.proposed()[0].startsWith(u'.'));
    EXPECT_EQ(files_in(folder_.path()).size(), 1);
    EXPECT_FALSE(QFileInfo::exists(QDir(folder_.path()).filePath("../escaped.txt")));
}

// The engine resumes a broken transfer by itself, and hands it over again;
// each attempt is cut as well, so the download ends as failed.
TEST_F(DownloadsTest, ABrokenTransferSaysWhyAndLeavesNoFile) {
    Reply cut = attachment("broken.txt", text_file(100000, 'x'));
    cut.cut_after = cut.bytes.size() / 2;
    server_.reply_always(cut);
    downloads_->open_address(QString::fromStdString(server_.origin() + "/broken.txt"));
    ASSERT_TRUE(wait_until([this] { return all_finished(1); }));
    Transfer& transfer = *only_transfer();
    EXPECT_EQ(save_location_.proposed().size(), 1) << "asked once, whatever the engine retried";
    EXPECT_FALSE(transfer.saved());
    EXPECT_TRUE(transfer.window().status().startsWith(QString::fromUtf8("下载失败：")))
        << transfer.window().status().toStdString();
    EXPECT_TRUE(folder_empties());
}

TEST_F(DownloadsTest, AnAddressThatFindsNothingSavesNothing) {
    server_.reply_always(
        Reply::http(404, "Not Found", "Content-Type: text/html\r\n", "<h1>404</h1>"));
    downloads_->open_address(QString::fromStdString(server_.origin() + "/missing.txt"));
    ASSERT_TRUE(wait_until([this] { return all_finished(1); }));
    EXPECT_FALSE(only_transfer()->saved());
    EXPECT_TRUE(only_transfer()->window().status().startsWith(QString::fromUtf8("下载失败：")));
    EXPECT_TRUE(folder_empties());
}

TEST_F(DownloadsTest, DecliningTheSaveLocationDownloadsNothing) {
    save_location_.decline = true;
    server_.reply_always(attachment("book.txt", "text"));
    downloads_->open_address(QString::fromStdString(server_.origin() + "/book.txt"));
    ASSERT_TRUE(wait_until([this] { return save_location_.proposed().size() == 1; }));
    serve_events(300);
    EXPECT_TRUE(downloads_->transfers().empty());
    EXPECT_TRUE(folder_empties());
}

// A server that sends half of a file and then nothing more, the connection open.
Reply stalled_half(const std::string& name, int size) {
    Reply reply = attachment(name, text_file(size, 's'));
    reply.bytes.resize(reply.bytes.size() - static_cast<std::size_t>(size) / 2);
    reply.close_after = false;
    return reply;
}

TEST_F(DownloadsTest, ProgressShowsBytesAndPercentWhileRunning) {
    server_.reply_always(stalled_half("slow.txt", 400000));
    downloads_->open_address(QString::fromStdString(server_.origin() + "/slow.txt"));
    ASSERT_TRUE(wait_until(
        [this] { return only_transfer() && only_transfer()->window().status().contains(u'%'); }));
    const QString status = only_transfer()->window().status();
    EXPECT_TRUE(status.startsWith(QString::fromUtf8("已接收 "))) << status.toStdString();
    EXPECT_TRUE(status.contains(QStringLiteral("/ 390.6 KB"))) << status.toStdString();
    EXPECT_FALSE(QFileInfo::exists(only_transfer()->final_path())) << "not under its name yet";
    EXPECT_TRUE(only_transfer()->window().isVisible());
}

TEST_F(DownloadsTest, EndingTheProgramMidDownloadLeavesNoFileBehind) {
    server_.reply_always(stalled_half("unfinished.txt", 400000));
    downloads_->open_address(QString::fromStdString(server_.origin() + "/one.txt"));
    downloads_->open_address(QString::fromStdString(server_.origin() + "/two.txt"));
    ASSERT_TRUE(wait_until([this] {
        if (downloads_->transfers().size() != 2) return false;
        for (const auto& transfer : downloads_->transfers()) {
            if (!transfer->window().status().contains(u'%')) return false;
        }
        return true;
    }));
    downloads_.reset();
    EXPECT_TRUE(folder_empties()) << files_in(folder_.path()).join(' ').toStdString();
}

TEST_F(DownloadsTest, CancellingFromItsWindowRemovesThePartialFile) {
    server_.reply_always(stalled_half("cancel.txt", 400000));
    downloads_->open_address(QString::fromStdString(server_.origin() + "/cancel.txt"));
    ASSERT_TRUE(wait_until(
        [this] { return only_transfer() && only_transfer()->window().status().contains(u'%'); }));
    only_transfer()->window().close();
    ASSERT_TRUE(wait_until([this] { return only_transfer()->finished(); }));
    EXPECT_EQ(only_transfer()->window().status(), QString::fromUtf8("已取消下载"));
    serve_events(300);
    EXPECT_TRUE(folder_empties());
}

}  // namespace
}  // namespace orvu::app::test
