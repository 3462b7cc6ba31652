// The product transport (WinINet on Win32 worker threads) against local CDDB servers started by
// CTest: a normal one, one that answers after 6 seconds, one that answers 404, one whose bodies
// are 10000 bytes long and one that sends half of each body it announces.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cdaudio/CdAudioDevice.h"
#include "cdaudio/tests/DemoDisc.h"
#include "drive/SimulatedDrive.h"
#include "lookup/CddbCommands.h"
#include "lookup/ReplyBuffer.h"
#include "lookup/win/ProductTransport.h"
#include "ports/TextSink.h"

namespace discdeck {
namespace {

class RecordingTextSink : public TextSink {
  public:
    void SetText(const std::string& value) override { text = value; }
    std::string text;
};

// A file the servers wrote, by its Unix path (Wine's drive Z: is the Unix root).
std::string ReadServerFile(const std::string& name) {
    const char* folder = std::getenv("DISCDECK_CDDB_SERVERS");
    if (folder == nullptr) {
        return {};
    }
    std::string path = std::string("Z:") + folder + "/" + name;
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

uint16_t ServerPort(const std::string& server) {
    return static_cast<uint16_t>(std::atoi(ReadServerFile(server + ".port").c_str()));
}

std::vector<std::string> LoggedPaths() {
    std::vector<std::string> lines;
    std::istringstream log(ReadServerFile("normal.log"));
    for (std::string line; std::getline(log, line);) {
        lines.push_back(line);
    }
    return lines;
}

bool WaitForAbandonedWorkers(const CddbTransport& transport) {
    for (int i = 0; i < 300 && transport.AbandonedWorkers() > 0; ++i) {
        Sleep(100);
    }
    return transport.AbandonedWorkers() == 0;
}

class LookupWinInet : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(0, ServerPort("normal")) << "no local CDDB server (DISCDECK_CDDB_SERVERS)";
        ASSERT_TRUE(drive.InsertDisc(DemoDisc()));
        device = std::make_unique<CdAudioDevice>(drive);
        device->SetTransport(transport.get());
    }
    void TearDown() override { EXPECT_TRUE(WaitForAbandonedWorkers(*transport)); }

    ManualClock clock;
    SimulatedDrive drive{clock};
    std::unique_ptr<CdAudioDevice> device;
    std::unique_ptr<CddbTransport> transport = CreateProductTransport("discdeck");
    RecordingTextSink status;
};

TEST_F(LookupWinInet, DemoDiscLookUp) {
    ASSERT_EQ(0x8409a30au, device->discId);
    const size_t before = LoggedPaths().size();
    ASSERT_TRUE(device->QueryServer("127.0.0.1", ServerPort("normal"), &status));
    EXPECT_EQ("8409a30a", FormatDiscIdField(device->discId));
    EXPECT_EQ("rock", device->category);
    EXPECT_EQ("Orvo Lindqvist / Northern Lights", device->discTitle);
    const char* titles[] = {"Polar Dawn", "Ice Harbour",  "Aurora Waltz", "Midnight Sun", "Fjord Lines",
                            "Snowfield",  "Reindeer Run", "Frost Glass",  "Long Night",   "Thaw"};
    for (size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(titles[i], device->trackTitles[i]);
    }
    EXPECT_EQ("", status.text);

    const std::vector<std::string> paths = LoggedPaths();
    ASSERT_EQ(before + 2, paths.size());
    EXPECT_EQ(
        "/~cddb/cddb.cgi?cmd=CDDB+QUERY+8409a30a+10+150+16740+36002+55710+72558+93683+109121+129120+148295+168900+2469"
        "&hello=cd+discdeck.example+TarvikCDDB+1.0&proto=6",
        paths[before]);
    EXPECT_EQ("/~cddb/cddb.cgi?cmd=CDDB+READ+rock+8409a30a&hello=cd+discdeck.example+TarvikCDDB+1.0&proto=6",
              paths[before + 1]);
}

TEST_F(LookupWinInet, HelpRequestPath) {
    ASSERT_EQ(0, device->SendCommand("HELP", "127.0.0.1", ServerPort("normal"), &status));
    EXPECT_EQ(0, std::strncmp(ReplyText(), "210 OK, help information follows", 32)) << ReplyText();
    ASSERT_FALSE(LoggedPaths().empty());
    EXPECT_EQ("/~cddb/cddb.cgi?cmd=HELP&hello=cd+discdeck.example+TarvikCDDB+1.0&proto=6", LoggedPaths().back());
}

TEST_F(LookupWinInet, SlowServerTimesOutAndItsLateAnswerStaysOut) {
    device->mode = mci::MCI_MODE_PLAY;
    EXPECT_EQ(-1, device->SendCommand("MOTD", "127.0.0.1", ServerPort("slow"), &status));
    EXPECT_EQ("Timeout ....", status.text);
    EXPECT_STREQ("", ReplyText());
    EXPECT_EQ(mci::MCI_MODE_PLAY, device->mode);
    ASSERT_EQ(1, transport->AbandonedWorkers());
    ASSERT_TRUE(WaitForAbandonedWorkers(*transport));  // the server answered after 6 seconds
    EXPECT_STREQ("", ReplyText());
    ASSERT_EQ(0, device->SendCommand("VER", "127.0.0.1", ServerPort("normal"), &status));
    EXPECT_EQ(0, std::strncmp(ReplyText(), "200 discdeck-cddbd", 18)) << ReplyText();
}

TEST_F(LookupWinInet, NotFoundGivesAnEmptyReply) {
    std::strcpy(ReplyBuffer(), "stale");
    EXPECT_EQ(0, device->SendCommand("HELP", "127.0.0.1", ServerPort("missing"), &status));
    EXPECT_STREQ("", ReplyText());
    EXPECT_EQ("", status.text);
    device->category = "folk";
    EXPECT_TRUE(device->QueryServer("127.0.0.1", ServerPort("missing"), &status));
    EXPECT_EQ("folk", device->category);  // nothing was learned
}

TEST_F(LookupWinInet, AnAnswerBrokenOffIsAFailedExchange) {
    std::strcpy(ReplyBuffer(), "stale");
    EXPECT_EQ(-1, device->SendCommand("HELP", "127.0.0.1", ServerPort("cut"), &status));
    EXPECT_STREQ("", ReplyText());
    EXPECT_FALSE(status.text.empty());
    EXPECT_NE("Timeout ....", status.text);

    device->category = "folk";
    device->discTitle = "Kept / Title";
    EXPECT_FALSE(device->QueryServer("127.0.0.1", ServerPort("cut"), &status));
    EXPECT_EQ("folk", device->category);
    EXPECT_EQ("Kept / Title", device->discTitle);
}

TEST_F(LookupWinInet, LongBodyIsReadUpTo4096Bytes) {
    ASSERT_EQ(0, device->SendCommand("CDDB READ rock 8409a30a", "127.0.0.1", ServerPort("oversize"), &status));
    EXPECT_EQ(kReplyBufferSize, std::strlen(ReplyText()));
    EXPECT_EQ(0, std::strncmp(ReplyText(), "210 rock 8409a30a", 17));
}

TEST_F(LookupWinInet, NoServerListening) {
    // Port 1 has no listener: the connection fails, the command fails with the system's words for
    // it, and there is no reply.
    EXPECT_EQ(-1, device->SendCommand("HELP", "127.0.0.1", 1, &status));
    EXPECT_STREQ("", ReplyText());
    EXPECT_FALSE(status.text.empty());
    EXPECT_NE("Timeout ....", status.text);
    EXPECT_FALSE(device->QueryServer("127.0.0.1", 1, &status));
}

}  // namespace
}  // namespace discdeck

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
