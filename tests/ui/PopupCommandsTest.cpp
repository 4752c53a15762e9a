#include "tests/support/FakeDnsServer.h"
#include "tests/support/FakeHttpServer.h"
#include "tests/support/FakeTlsServer.h"
#include "tests/support/FakeWhoisServer.h"
#include "tests/support/TestCertificates.h"
#include "tests/ui/WindowHarness.h"
#include "ui/Prompts.h"
#include "ui/RegisteredRows.h"
#include "ui/ServerTableModel.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTimer>
#include <cstdlib>
#include <gtest/gtest.h>

namespace cvt::test {
namespace {

// Fills the window's result table with the rows, as a run would have left them.
void fill(WindowHarness& w, const std::vector<ResultRow>& rows) {
    for (const ResultRow& r : rows) {
        w.main->resultModel().appendRow(r.caption, r.cells);
    }
}

TEST(RegisteredRows, OnlyRowsWithNothingFreeFailedOrEmptyGo) {
    struct Case {
        std::vector<std::string> cells;
        bool registeredOnly;
    };
    const Case cases[] = {
        {{"★", "★"}, true}, {{"★", "☆"}, false}, {{"★", "-"}, false}, {{"★", ""}, false},
        {{}, true},         {{"★"}, true},       {{"☆"}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isRegisteredOnlyRow(row("n", c.cells)), c.registeredOnly) << ::testing::PrintToString(c.cells);
    }
}

TEST(PopupCommands, ClearRegisteredTakesOnlyRegisteredRowsAndClearAllKeepsTheColumns) {
    WindowHarness w(configText("en", suffixLines("whois.example", {"com", "net"})));
    fill(w, {row("a", {"★", "★"}), row("b", {"★", "☆"}), row("c", {"★", ""}), row("d", {"★", "★"})});
    w.main->N1->trigger();
    EXPECT_EQ(w.rows(), (std::vector<ResultRow>{row("b", {"★", "☆"}), row("c", {"★", ""})}));
    w.main->N3->trigger();
    EXPECT_TRUE(w.rows().empty());
    EXPECT_EQ(w.captions(), (std::vector<std::string>{"Domain Name", "com", "net"}));
}

TEST(PopupCommands, TextExportWritesTheChosenFileAndNothingWhenCancelledOrRefused) {
    WindowHarness w(configText("zh-cn", suffixLines("whois.example", {"com", "net"})));
    fill(w, {row("phone", {"☆", "★"})});

    w.main->ExporttoText1->trigger(); // cancelled
    ASSERT_EQ(w.prompts.saveDialogNames.size(), 1u);
    EXPECT_EQ(QFileInfo(w.prompts.saveDialogNames.front()).fileName(), QStringLiteral("domain.txt"));
    const auto filesBefore = std::distance(std::filesystem::directory_iterator(w.dir.path()), {});

    w.prompts.savePath = QString::fromStdString(w.dir.file("domain.txt").string());
    w.main->ExporttoText1->trigger();
    EXPECT_EQ(readFileBytes(w.dir.file("domain.txt")), "域名\tcom\tnet\t\r\nphone\t☆\t★\t\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(w.dir.path()), {}), filesBefore + 1);
    EXPECT_TRUE(w.prompts.errors.empty());

    // A file that cannot be made: the reason is shown.
    const std::filesystem::path target = w.dir.file("missing") / "domain.txt";
    w.prompts.savePath = QString::fromStdString(target.string());
    w.main->ExporttoText1->trigger();
    ASSERT_EQ(w.prompts.errors.size(), 1u);
    EXPECT_TRUE(
        w.prompts.errors.front().startsWith(QString::fromStdString("Cannot create file \"" + target.string() + "\". ")))
        << w.prompts.errors.front().toStdString();
    EXPECT_FALSE(std::filesystem::exists(target));
}

TEST(PopupCommands, SpreadsheetExportSavesWhereAskedThenOpensOrSaysWhereItIs) {
    // An opener that outlasts the export's wait, then fails.
    TempDir scripts;
    const std::filesystem::path lateFailure = scripts.file("late-failure");
    scripts.write("late-failure", "#!/bin/sh\nsleep 2.2\nexit 3\n");
    std::filesystem::permissions(lateFailure, std::filesystem::perms::owner_all);
    struct Case {
        const char* what;
        std::string openProgram;
        const char* target;
        std::string message;
        bool written;
        int patienceMs;
    };
    const std::string notOpened = "Saved to %s. No program was found to open .xlsx files.";
    const Case cases[] = {
        {"dialog cancelled", "true", nullptr, "", false, 2000},
        {"saved and opened", "true", "book.xlsx", "", true, 2000},
        {"no program for .xlsx", "false", "book.xlsx", notOpened, true, 2000},
        {"no opener at all", "/nonexistent/xdg-open", "book.xlsx", notOpened, true, 2000},
        {"opener fails after the wait", lateFailure.string(), "book.xlsx", notOpened, true, 100},
        {"missing folder", "true", "missing/book.xlsx", "Excel transaction cancelled.", false, 2000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WindowHarness w(configText("en", suffixLines("whois.example", {"com"})));
        w.openProgram = c.openProgram;
        w.openPatience = std::chrono::milliseconds(c.patienceMs);
        w.build();
        fill(w, {row("a", {"★"}), row("=1+2", {"☆"})});
        // No target: the dialog is cancelled.
        const std::filesystem::path target = w.dir.file(c.target != nullptr ? c.target : "book.xlsx");
        w.prompts.savePath = c.target == nullptr ? QString() : QString::fromStdString(target.string());
        w.main->exportExcel->trigger();

        ASSERT_EQ(w.prompts.saveDialogNames.size(), 1u);
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^domains-\\d{8}-\\d{4}\\.xlsx$"))
                        .match(QFileInfo(w.prompts.saveDialogNames.front()).fileName())
                        .hasMatch())
            << w.prompts.saveDialogNames.front().toStdString();
        std::vector<QString> expected;
        if (!c.message.empty()) {
            std::string text = c.message;
            if (const auto at = text.find("%s"); at != std::string::npos) {
                text.replace(at, 2, target.string());
            }
            expected.push_back(QString::fromStdString(text));
        }
        // An opener still running after the wait is told about when it ends.
        waitUntil([&] { return w.prompts.informations.size() >= expected.size(); });
        EXPECT_EQ(w.prompts.informations, expected);
        EXPECT_EQ(std::filesystem::exists(target), c.written);
        if (c.written) {
            EXPECT_EQ(readFileBytes(target).substr(0, 2), "PK");
        }
        EXPECT_EQ(w.rows(), (std::vector<ResultRow>{row("a", {"★"}), row("=1+2", {"☆"})}));
    }
}

TEST(PopupCommands, ExportsStartInDocumentsThenOfferTheLastFolderASaveSucceededIn) {
    // A home of its own, with a documents folder.
    TempDir home;
    const std::filesystem::path documents = home.file("Documents");
    std::filesystem::create_directory(documents);
    const QByteArray savedHome = qgetenv("HOME");
    const QByteArray savedConfigHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QByteArray::fromStdString(home.path().string()));
    qunsetenv("XDG_CONFIG_HOME");

    WindowHarness w(configText("en", suffixLines("whois.example", {"com"})));
    std::vector<ResultRow> rows;
    for (int i = 0; i < 50000; ++i) {
        rows.push_back(row("name" + std::to_string(i), {"☆"}));
    }
    fill(w, rows);
    const std::filesystem::path folder = w.dir.file("exports");
    std::filesystem::create_directory(folder);
    w.prompts.savePath = QString::fromStdString((folder / "first.csv").string());
    w.main->ExporttoText1->trigger();
    EXPECT_EQ(readFileBytes(folder / "first.csv").substr(0, 26), "\xEF\xBB\xBF"
                                                                 "Domain Name,com\r\nname0,");

    // Cancel as soon as the progress box shows.
    const std::filesystem::path elsewhere = w.dir.file("elsewhere");
    std::filesystem::create_directory(elsewhere);
    for (QAction* command : {w.main->exportExcel, w.main->ExporttoText1}) {
        w.prompts.savePath = QString::fromStdString((elsewhere / "cancelled.xlsx").string());
        if (command == w.main->ExporttoText1) {
            w.prompts.savePath = QString::fromStdString((elsewhere / "cancelled.txt").string());
        }
        QTimer::singleShot(0, [] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                box->close();
            }
        });
        command->trigger();
    }
    EXPECT_TRUE(w.prompts.informations.empty());
    EXPECT_TRUE(w.prompts.errors.empty());
    // A save that fails is not remembered either.
    w.prompts.savePath = QString::fromStdString((w.dir.file("missing") / "domain.txt").string());
    w.main->ExporttoText1->trigger();
    EXPECT_EQ(w.prompts.errors.size(), 1u);
    w.prompts.savePath.clear();
    w.main->ExporttoText1->trigger();

    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        left.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(left, std::vector<std::string>{"first.csv"});
    EXPECT_TRUE(std::filesystem::is_empty(elsewhere));
    const QString lastFolder = QString::fromStdString(folder.string()) + QStringLiteral("/");
    ASSERT_EQ(w.prompts.saveDialogNames.size(), 5u);
    EXPECT_EQ(w.prompts.saveDialogNames[0], QString::fromStdString((documents / "domain.txt").string()));
    EXPECT_TRUE(w.prompts.saveDialogNames[1].startsWith(lastFolder + QStringLiteral("domains-")));
    for (std::size_t later = 2; later < 5; ++later) {
        EXPECT_EQ(w.prompts.saveDialogNames[later], lastFolder + QStringLiteral("domain.txt")) << later;
    }
    EXPECT_EQ(w.rows().size(), rows.size());
    qputenv("HOME", savedHome);
    if (!savedConfigHome.isEmpty()) {
        qputenv("XDG_CONFIG_HOME", savedConfigHome);
    }
}

// The real save dialog of the text export: both types offered, and picking CSV turns domain.txt
// into domain.csv; an existing file is taken only when the question that follows is answered Yes.
TEST(PopupCommands, TextSaveDialogOffersCsvSwapsTheSuffixAndAsksBeforeReplacing) {
    TempDir dir;
    dir.write("domain.csv", "kept");
    const QString existing = QString::fromStdString((dir.path() / "domain.csv").string());
    for (const bool replace : {false, true}) {
        SCOPED_TRACE(replace);
        QStringList filters;
        QString question;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            filters = dialog->nameFilters();
            Q_EMIT dialog->filterSelected(QStringLiteral("CSV (*.csv)"));
            // The question shows over the dialog; the dialog stays when it is answered No.
            QTimer::singleShot(0, dialog, [&, dialog] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    question = box->text();
                    box->button(replace ? QMessageBox::Yes : QMessageBox::No)->click();
                    if (!replace) {
                        QTimer::singleShot(0, dialog, [dialog] { dialog->reject(); });
                    }
                }
            });
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QtPrompts prompts;
        const QString chosen =
            prompts.saveTextFile(nullptr, QString::fromStdString((dir.path() / "domain.txt").string()));
        EXPECT_EQ(filters, QStringList({QStringLiteral("Text (*.txt)"), QStringLiteral("CSV (*.csv)")}));
        EXPECT_TRUE(question.contains(QStringLiteral("domain.csv"))) << question.toStdString();
        EXPECT_EQ(chosen, replace ? existing : QString());
    }
    EXPECT_EQ(readFileBytes(dir.path() / "domain.csv"), "kept");
}

TEST(PopupCommands, WhoisDetailsNeedASelectedRow) {
    for (const auto& [code, expected] : {std::pair{"zh-cn", "请选择一行"}, std::pair{"en", "Please select one row!"}}) {
        FakeWhoisServer server(FakeWhoisServer::reply("reply\r\n"));
        WindowHarness w(configText(code, suffixLines(server.hostField(), {"com"})));
        fill(w, {row("a", {"★"})});
        w.main->lvDomain->clearSelection();
        w.main->Whois1->trigger();
        ASSERT_EQ(w.prompts.errors.size(), 1u);
        EXPECT_EQ(w.prompts.errors.front(), QString::fromUtf8(expected));
        EXPECT_EQ(server.connectionCount(), 0);
    }
}

// Closes the details window as soon as it shows, remembering its text.
QString detailsShown(WindowHarness& w) {
    QString shown;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (w.info->isVisible()) {
            shown = w.info->text();
            w.info->accept();
        }
    });
    poll.start();
    w.main->Whois1->trigger();
    return shown;
}

TEST(PopupCommands, WhoisDetailsAskEveryCellOfTheSelectedRowAgain) {
    FakeWhoisServer server(FakeWhoisServer::answer([](std::string_view query) {
        return query.ends_with(".net") ? std::string() : "reply for " + std::string(query);
    }));
    const std::string bad = "127.0.0.1:" + std::to_string(closedLoopbackPort());
    auto lines = suffixLines(server.hostField(), {"com", "net"});
    lines.push_back("org+" + bad + "+No match for");
    WindowHarness w(configText("en", lines));
    // A row made while no suffix was ticked has no cells at all.
    auto& servers = w.main->serverModel();
    for (int i = 0; i < 3; ++i) {
        servers.setData(servers.index(i, 0), Qt::Unchecked, Qt::CheckStateRole);
    }
    fill(w, {row("zero", {})});
    for (int i = 0; i < 3; ++i) {
        servers.setData(servers.index(i, 0), Qt::Checked, Qt::CheckStateRole);
    }
    fill(w, {row("phone", {"☆", "★", "-"})});
    ASSERT_EQ(w.rows().front(), row("zero", {}));

    w.main->selectAndShowRow(1);
    const QString sep = QStringLiteral("======================================\n");
    // Each reply under a heading naming what was asked.
    EXPECT_EQ(detailsShown(w), QStringLiteral("— phone.com —\nreply for phone.com\n") + sep +
                                   QStringLiteral("— phone.net —\n\n") + sep +
                                   QStringLiteral("— phone.org —\nError WSAconnectionReset\nSocket Error # 10061\n"
                                                  "Connection refused.\n") +
                                   sep);
    // The server books a connection once it has closed it, which may be just after the reply.
    ASSERT_TRUE(waitUntil([&] { return server.connectionCount() == 2; }));
    EXPECT_EQ(server.queries(), (std::vector<std::string>{"phone.com\r\n", "phone.net\r\n"}));
    // The table is left as it was.
    EXPECT_EQ(w.rows()[1], row("phone", {"☆", "★", "-"}));

    // A row without cells asks nothing and shows an empty text.
    w.main->selectAndShowRow(0);
    EXPECT_EQ(detailsShown(w), QString());
    EXPECT_EQ(server.connectionCount(), 2);
}

TEST(PopupCommands, RunAsksDnsFirstAndDetailsShowTheDelegationAndTheRdapAnswer) {
    TempDir certificatesFolder;
    TestCertificates certificates(certificatesFolder.path());
    ::setenv("SSL_CERT_FILE", certificates.caFile().c_str(), 1);
    const TestLeaf leaf = certificates.localhost();
    const auto rdap = [](const std::string& status, const std::string& body) {
        return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    };
    // The run's lookups on one connection, the details command's on a second.
    FakeHttpServer backend(
        {FakeHttpServer::respondEach({rdap("404 Not Found", ""), rdap("200 OK", R"({"objectClassName":"domain"})")}),
         FakeHttpServer::respond(rdap("200 OK", "{\"ldhName\":\"BPHONE.INFO\"}"))});
    FakeTlsServer tls(leaf.certFile, leaf.keyFile, backend.port());
    FakeWhoisServer whois(FakeWhoisServer::answer([](std::string_view query) {
        return query.starts_with("a") ? std::string("No match for\r\n") : "Domain: " + std::string(query);
    }));
    FakeDnsServer dns;
    dns.set("bphone.com", FakeDnsServer::nameServers({"ns1.host.net", "ns2.host.net"}));

    std::string config = configText("en", {"com+" + whois.hostField() + "+No match for", "info+" + tls.url("/rdap/")});
    config.replace(config.find("[setting]\r\n"), 11,
                   "[setting]\r\nparallel=1\r\ndns=1\r\ndns_server=127.0.0.1:" + std::to_string(dns.port()) + "\r\n");
    WindowHarness w(config);
    w.main->show();
    EXPECT_EQ(w.main->statusText(2), QString()) << "empty until a run asks DNS";
    w.main->edtDomain->setText(QStringLiteral("[a-b]phone"));
    w.main->btnSearch->click();
    ASSERT_TRUE(w.waitIdle());
    EXPECT_EQ(w.rows(), (std::vector<ResultRow>{row("aphone", {"☆", "☆"}), row("bphone", {"★", "★"})}));
    EXPECT_EQ(w.main->statusText(1), QStringLiteral("2/2"));
    EXPECT_EQ(w.main->statusText(2), QStringLiteral("DNS 1"));

    w.main->selectAndShowRow(1);
    const QString sep = QStringLiteral("======================================\n");
    EXPECT_EQ(detailsShown(w), QStringLiteral("— bphone.com —\nDelegated in DNS: ns1.host.net, ns2.host.net\n") + sep +
                                   QStringLiteral("— bphone.info —\n{\n  \"ldhName\": \"BPHONE.INFO\"\n}\n") + sep);
    whois.stop();
    EXPECT_EQ(whois.queries(), std::vector<std::string>{"aphone.com\r\n"}) << "bphone.com was settled by DNS";
    ::unsetenv("SSL_CERT_FILE");
}

} // namespace
} // namespace cvt::test

CVT_QT_TEST_MAIN()
