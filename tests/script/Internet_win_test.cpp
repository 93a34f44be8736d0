#include "core/FileSystem.h"
#include "install/WinTestSupport.h"
#include "script/Condition.h"
#include "script/FakeSystemValues.h"
#include "script/InternetCommands.h"
#include "script/Interpreter.h"
#include "script/ScriptFixture.h"
#include "script/Selection.h"
#include "script/Variables.h"

#include <gtest/gtest.h>

#include <wincrypt.h>

#include <fstream>
#include <sstream>

namespace cvn::test {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The internet commands over Windows Sockets against the local server that CTest
// starts (testing/httpserver/serve.py), with the real desktop files.
class WinInternet : public ::testing::Test {
protected:
    WinInternet()
        : vars(sys), conditions(vars, selection), boxes(CreateWinMessageBoxes(sys)),
          files(CreateWinPcFiles()), registry(CreateWinPcRegistry()), programs(CreateWinPcPrograms()),
          network(CreateWinHttpNetwork()),
          interp(vars, conditions,
                 TCommandPlatform{boxes.get(), files.get(), registry.get(), programs.get()}),
          https(CreateWinHttpsClient()), commands(
                                             interp.Commands(), *network, [this] { ++pumps; }, https.get()),
          temp("cvnhttp") {
        commands.Install(interp);
        port = ReadAll(BuildFile("tests/script/http-server/port"));
        vars.SetVariable("%Server%", "http://127.0.0.1:" + port);
        vars.SetVariable("%Secure%",
                         "https://localhost:" + ReadAll(BuildFile("tests/script/http-server/tlsport")));
        vars.SetVariable("%Dir%", temp.Path());
    }
    void SetUp() override {
        if (port.empty()) GTEST_SKIP() << "no local HTTP server (run through ctest)";
    }
    std::string Var(const char* name) {
        const std::string* v = vars.Store().Find(name);
        return v ? *v : "<unset>";
    }
    bool Run(const TScript& script) { return interp.RunScript(script); }

    TFakeSystemValues sys;
    TVariables vars;
    TComponentSelection selection;
    TConditionEvaluator conditions;
    std::unique_ptr<TMessageBoxes> boxes;
    std::unique_ptr<TPcFiles> files;
    std::unique_ptr<TPcRegistry> registry;
    std::unique_ptr<TPcPrograms> programs;
    std::unique_ptr<THttpNetwork> network;
    TInterpreter interp;
    std::unique_ptr<THttpsClient> https;
    TInternetCommands commands;
    TempFolder temp;
    std::string port;
    int pumps = 0;
};

struct CountingDisplay final : THttpDownloadDisplay {
    std::vector<int64_t> seen; // received counts; -1 before, -2 after
    std::function<void()> onData;
    void HttpDownloadProc(THttpCli* sender, const char* data, size_t) override {
        seen.push_back(!sender ? -2 : !data ? -1 : sender->ReceivedCount());
        if (sender && data && onData) onData();
    }
};

std::string KnownFile() {
    std::string bytes(100000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 7 + 3) % 251);
    return bytes;
}

TEST_F(WinInternet, DownloadsFollowRedirectsAndLoseNothingOnFailure) {
    CountingDisplay display;
    commands.downloadDisplay = &display;
    Run({St(SC::scDownload, {"%Server%/file.bin", "%Dir%\\file.bin"}),
         St(SC::scDownload, {"%Server%/redirect", "%Dir%\\moved.bin"})});
    EXPECT_EQ(ReadAll(temp.Path() + "\\file.bin"), KnownFile());
    EXPECT_EQ(ReadAll(temp.Path() + "\\moved.bin"), KnownFile());
    ASSERT_GE(display.seen.size(), 4u);
    EXPECT_EQ(display.seen.front(), -1);
    EXPECT_EQ(display.seen.back(), -2);
    EXPECT_EQ(display.seen[display.seen.size() - 2], 100000) << "the last piece completes the file";
    EXPECT_GT(pumps, 0) << "messages are handled while the download waits";

    Run({St(SC::scDownload, {"%Server%/missing", "%Dir%\\missing.bin"}),
         St(SC::scDownload, {"%Server%/cut", "%Dir%\\cut.bin"}),
         St(SC::scDownload, {"%Server%/loop", "%Dir%\\loop.bin"})});
    EXPECT_FALSE(FileExists(temp.Path() + "\\missing.bin"));
    EXPECT_FALSE(FileExists(temp.Path() + "\\cut.bin")) << "a server closing mid-body leaves no partial file";
    EXPECT_FALSE(FileExists(temp.Path() + "\\loop.bin"));

    // AbortDownload from a script run while the download waits, as a Cancel button's would be.
    display.onData = [&] { Run({St(SC::scAbortDownload)}); };
    DWORD started = GetTickCount();
    Run({St(SC::scDownload, {"%Server%/slow", "%Dir%\\slow.bin"})});
    EXPECT_LT(GetTickCount() - started, 10000u);
    EXPECT_FALSE(FileExists(temp.Path() + "\\slow.bin"));
    EXPECT_FALSE(commands.Downloading());
}

TEST_F(WinInternet, GetPostAndCheckGiveTheirResults) {
    commands.checkUrl = "%Server%/check.txt";
    vars.SetVariable("%Who%", "a b");
    Run({St(SC::scCheckInternet, {"%Up%"}), St(SC::scHttpGet, {"%Got%", "%Server%/check.txt"}),
         St(SC::scHttpGet, {"%Missing%", "%Server%/missing"}),
         St(SC::scHttpPost, {"%Server%/post", "name=%Who%&x=1"})});
    EXPECT_EQ(Var("%Up%"), "1");
    EXPECT_EQ(Var("%Got%"), "OK");
    // A host name goes through the name look-up.
    Run({St(SC::scHttpGet, {"%Named%", "http://localhost:" + port + "/check.txt"})});
    EXPECT_EQ(Var("%Named%"), "OK");
    EXPECT_EQ(Var("%Missing%"), "");
    EXPECT_EQ(ReadAll(BuildFile("tests/script/http-server/posted")), "POST /post HTTP/1.0\nname=a b&x=1");

    // Nothing listens on port 1 here: the check fails like an absent connection.
    commands.checkUrl = "http://127.0.0.1:1/check.txt";
    Run({St(SC::scCheckInternet, {"%Up%"})});
    EXPECT_EQ(Var("%Up%"), "0");
}

TEST_F(WinInternet, ConnectFailureNamesTheSocketError) {
    THttpCli cli(*network, nullptr);
    cli.url = "http://127.0.0.1:1/";
    EXPECT_FALSE(cli.Get());
    EXPECT_EQ(cli.StatusCode(), 404);
    EXPECT_TRUE(cli.ReasonPhrase().starts_with("can't connect: ")) << cli.ReasonPhrase();
    EXPECT_NE(cli.ReasonPhrase().find("(Error #10061)"), std::string::npos) << cli.ReasonPhrase();
}

// The local server's test CA in the current user's root store while it lives; the
// store is committed each way, so the system's chain engine sees the change.
class TrustedTestCa {
public:
    TrustedTestCa() {
        std::string der = ReadAll(BuildFile("tests/script/http-server/ca.der"));
        store_ = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, "Root");
        if (!store_) return;
        CertAddEncodedCertificateToStore(store_, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                         DWORD(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, &cert_);
        CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr);
    }
    ~TrustedTestCa() {
        if (!store_) return;
        if (cert_) CertDeleteCertificateFromStore(cert_); // frees the context too
        CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr);
        CertCloseStore(store_, 0);
    }
    bool Added() const { return cert_ != nullptr; }

private:
    HCERTSTORE store_ = nullptr;
    PCCERT_CONTEXT cert_ = nullptr;
};

TEST_F(WinInternet, HttpsChecksTheServersCertificate) {
    TrustedTestCa ca;
    ASSERT_TRUE(ca.Added());
    Run({St(SC::scHttpGet, {"%Got%", "%Secure%/check.txt"}),
         St(SC::scDownload, {"%Secure%/redirect", "%Dir%\\tls.bin"}),
         St(SC::scDownload, {"%Secure%/cut", "%Dir%\\tlscut.bin"}),
         St(SC::scHttpPost, {"%Secure%/post", "over=tls"})});
    EXPECT_EQ(Var("%Got%"), "OK");
    EXPECT_TRUE(ReadAll(temp.Path() + "\\tls.bin") == KnownFile()) << "redirected download over TLS";
    EXPECT_FALSE(FileExists(temp.Path() + "\\tlscut.bin")) << "a cut-short reply leaves no file";
    EXPECT_EQ(ReadAll(BuildFile("tests/script/http-server/posted")), "POST /post HTTP/1.1\nover=tls");

    // The same server by another name: its certificate does not name it, so the fetch
    // fails like any other internet error. (The system reads its root store once per
    // process, so an unknown CA cannot be tried in the same run after this one.)
    THttpCli cli(*network, nullptr, https.get());
    cli.url = "https://127.0.0.1:" + ReadAll(BuildFile("tests/script/http-server/tlsport")) + "/check.txt";
    EXPECT_FALSE(cli.Get());
    EXPECT_EQ(cli.StatusCode(), 404);
    EXPECT_TRUE(cli.ReasonPhrase().starts_with("can't connect")) << cli.ReasonPhrase();
    vars.SetVariable("%Mismatch%",
                     "https://127.0.0.1:" + ReadAll(BuildFile("tests/script/http-server/tlsport")));
    Run({St(SC::scDownload, {"%Mismatch%/file.bin", "%Dir%\\mismatch.bin"})});
    EXPECT_FALSE(FileExists(temp.Path() + "\\mismatch.bin"));
}

} // namespace
} // namespace cvn::test
