#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <sstream>
#include <sys/stat.h>
#include <atomic>
#include <thread>

#include "MemoryDecode.h"
#include "SimRequest.h"
#include "SimServer.h"
#include "SimulatedMouse.h"
#include "TestSupport.h"
#include "platform/DriverSocketProtocol.h"
#include "platform/fake/FakeRegistryStore.h"
#include "platform/fake/FakeSystemLocale.h"
#include "platform/fake/ManualScheduler.h"
#include "platform/posix/PosixDriverTransport.h"
#include "protocol/ApplySequence.h"

namespace q9 {
namespace {

using test::Bytes;

Bytes Frame(std::uint8_t command, Bytes arguments = {}, Bytes payload = {}) {
  Bytes frame(CommandFrameSize, 0);
  frame[0] = 0x16;
  frame[1] = 0x10;
  frame[3] = command;
  std::copy(arguments.begin(), arguments.end(), frame.begin() + 4);
  std::copy(payload.begin(), payload.end(), frame.begin() + 11);
  return frame;
}

TEST(SimulatedMouse, MalformedFramesAreRefusedAndChangeNothing) {
  SimulatedMouse mouse;
  const Bytes before = mouse.SaveImage();
  std::vector<std::pair<const char*, Bytes>> bad = {
      {"short", Bytes(100, 0)},
      {"long", Bytes(CommandFrameSize + 1, 0)},
      {"header", [] { Bytes f = Frame(6); f[1] = 0x11; return f; }()},
      {"past the memory", Frame(2, {0xFF, 0xFF, 2, 0, 0xFA, 0xFA, 0xFA}, {1, 2})},
      {"too long a write", Frame(2, {0, 0, 0x01, 0x08, 0xFA, 0xFA, 0xFA})},
      {"empty write", Frame(2, {0, 1, 0, 0, 0xFA, 0xFA, 0xFA})},
      {"unmarked write", Frame(2, {0, 1, 1, 0, 0xFA, 0x00, 0xFA}, {1})},
      {"unknown command", Frame(3)},
      {"location 2", Frame(8, {2})},
  };
  for (auto& [name, frame] : bad) EXPECT_NE(mouse.HandleControl(CommandIoControlCode, frame), kErrorSuccess) << name;
  Bytes good = Frame(6, {0});
  EXPECT_EQ(mouse.HandleControl(0x80004004u, good), kErrorInvalidFunction) << "another control code";
  EXPECT_EQ(mouse.SaveImage(), before);
}

TEST(SimulatedMouse, CommandsChangeItsState) {
  SimulatedMouse mouse;
  Bytes write = Frame(2, {0xFE, 0xFF, 2, 0, 0xFA, 0xFA, 0xFA}, {7, 8});
  Bytes light = Frame(4, {1, 2, 3, 4, 5});
  Bytes location = Frame(8, {1});
  Bytes rate = Frame(1);
  for (Bytes* f : {&write, &light, &location, &rate}) EXPECT_EQ(mouse.HandleControl(CommandIoControlCode, *f), kErrorSuccess);
  EXPECT_EQ(mouse.Memory()[65534], 7);
  EXPECT_EQ(mouse.Memory()[65535], 8) << "the last byte of the memory can be written";
  const SimulatedMouse::State state = mouse.CurrentState();
  EXPECT_EQ(state.light, (std::array<std::uint8_t, 5>{1, 2, 3, 4, 5}));
  EXPECT_EQ(state.memoryLocation, 1);
  EXPECT_EQ(state.rateChanges, 1u);
  EXPECT_EQ(state.frames, 4u);

  SimulatedMouse copy;
  ASSERT_TRUE(copy.LoadImage(mouse.SaveImage()));
  EXPECT_EQ(copy.SaveImage(), mouse.SaveImage());
  EXPECT_FALSE(copy.LoadImage(Bytes(1000, 0)));
  EXPECT_TRUE(copy.LoadImage(Bytes(65536, 0))) << "a bare memory image";
}

class SimulatorOverSocketTest : public ::testing::Test {
 protected:
  void Serve(SimServerOptions options) {
    options.deviceFolder = folder.path();
    server = std::make_unique<SimServer>(mouse, options);
    std::string error;
    ASSERT_TRUE(server->Start(error)) << error;
    thread = std::thread([this] { server->Run(); });
  }
  void TearDown() override {
    if (server) server->Stop();
    if (thread.joinable()) thread.join();
  }

  test::TempFolder folder;
  SimulatedMouse mouse;
  std::unique_ptr<SimServer> server;
  std::thread thread;
  FakeRegistryStore store;
  FakeSystemLocale locale;
  ManualScheduler scheduler;
};

TEST_F(SimulatorOverSocketTest, ApplyThroughTheDriverSocketLogsThePrescribedFrames) {
  Serve({{}, "usbglcs00001", folder.path() / "frames.bin", folder.path() / "memory.bin", -1});
  PosixDriverTransport transport(folder.path());
  TuiSTDCommand channel(transport, scheduler, "/nonexistent/config.ini");
  auto dm = CreateDataModule(store, locale);
  ASSERT_TRUE(dm->SwitchToProfile(2, 0));
  ASSERT_TRUE(dm->LoadCurrentProfileInfoFromFile(test::FixturePath("rich_profile.GPX").string()));
  dm->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotMode1Profile] = 2;
  dm->FAllProfileSettingInfo.ReservedData.IntegerData[kSlotMode2Profile] = -1;
  ApplyState state;
  state.DeviceMode = 1;
  state.ReportRateChanged = true;
  const ApplyResult result = ApplySettingsToDevice(*dm, channel, state, {});
  EXPECT_TRUE(result.ok()) << result.message;
  EXPECT_EQ(test::ReadFile(folder.path() / "frames.bin"), test::Fixture("apply_rich.frames"));

  // The memory file says what the mouse now holds.
  SimulatedMouse reloaded;
  ASSERT_TRUE(reloaded.LoadImage(test::ReadFile(folder.path() / "memory.bin")));
  const nlohmann::json decoded = DecodeMemory(reloaded.Memory(), reloaded.CurrentState());
  EXPECT_EQ(decoded["reportRateHz"], 1000);
  EXPECT_EQ(decoded["currentProfile"], 2);
  EXPECT_EQ(decoded["activeLocation"], 1);
  const auto& plain = decoded["locations"][0]["buttonGroups"]["plain"];
  EXPECT_EQ(plain[0]["function"], "Click");
  EXPECT_EQ(plain[1]["function"], "Macro");
  EXPECT_EQ(plain[1]["steps"][0], (nlohmann::json{{"type", "key"}, {"action", "press"}, {"key", "A"}, {"hid", 4}}));
  EXPECT_EQ(plain[1]["steps"][1]["ms"], 20) << "15 ms is sent as 2 tens";
  EXPECT_EQ(plain[1]["steps"][3], (nlohmann::json{{"type", "loop"}, {"count", 3}}));
  EXPECT_EQ(plain[2]["keys"], "Ctrl+Shift+A+B");
  EXPECT_EQ(plain[3]["key"], "F5");
  EXPECT_EQ(plain[4]["function"], "BROWSER_BACK");
  EXPECT_EQ(plain[6]["clicks"], 5);
  EXPECT_EQ(plain[7]["steps"].size(), 60u);
  const auto& alt = decoded["locations"][0]["buttonGroups"]["alt"];
  EXPECT_EQ(alt[0]["function"], "Mute");
  EXPECT_EQ(alt[1]["function"], "Disable");
  EXPECT_EQ(alt[3]["steps"][4]["key"], "LEFT ARROW");
  EXPECT_EQ(decoded["locations"][0]["buttonGroups"]["shift"][0]["key"], "NUMPAD ENTER") << "the keypad Enter (88)";
  EXPECT_EQ(decoded["locations"][0]["light"]["color"], "#0AC81E");
  EXPECT_EQ(decoded["locations"][0]["sensitivity"]["levels"][1]["cpiX"], 3500) << "step 8 shares the device index of 3500";
  EXPECT_EQ(decoded["locations"][1]["buttonGroups"]["plain"][3]["function"], "Forward");
  EXPECT_EQ(decoded["locations"][1]["sensitivity"]["levels"][3]["cpiX"], 3500);
  EXPECT_EQ(decoded["warnings"], nlohmann::json::array()) << "an image the apply wrote has nothing odd";
  EXPECT_EQ(decoded["locations"][1]["light"]["color"], "#FF0000");
}

TEST_F(SimulatorOverSocketTest, UnplugAfterNFramesRemovesTheDevice) {
  Serve({{}, "mouse", {}, {}, 3});
  PosixDriverTransport transport(folder.path());
  Bytes frame = Frame(6, {0});
  for (int i = 0; i < 3; ++i) {
    auto device = transport.Open("mouse", false);
    ASSERT_TRUE(device);
    EXPECT_EQ(device->Control(CommandIoControlCode, frame.data(), static_cast<std::uint32_t>(frame.size())), kErrorSuccess);
  }
  thread.join();
  EXPECT_FALSE(transport.Open("mouse", false)) << "no one listens any more";
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "mouse"));
}

TEST_F(SimulatorOverSocketTest, MalformedRequestsGetAnErrorNotACrash) {
  Serve({{}, "mouse", {}, {}, -1});
  PosixDriverTransport transport(folder.path());
  Bytes shortFrame(10, 0x16);
  auto device = transport.Open("mouse", false);
  ASSERT_TRUE(device);
  EXPECT_EQ(device->Control(CommandIoControlCode, shortFrame.data(), 10), kErrorInvalidParameter);
  EXPECT_TRUE(transport.Open("mouse", false)) << "still serving";
  EXPECT_FALSE(transport.Open("../escape", false));
}

// A client speaking to the socket byte by byte, as no transport would.
int ConnectRaw(const std::filesystem::path& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
  if (fd >= 0) ::close(fd);
  return -1;
}

void SendRaw(int fd, const Bytes& bytes) { ASSERT_EQ(::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size())); }

// The reply header's status, or -1 when the server closed without one.
long long ReplyStatus(int fd) {
  std::array<std::uint8_t, 8> header{};
  std::size_t got = 0;
  while (got < header.size()) {
    const ssize_t n = ::recv(fd, header.data() + got, header.size() - got, 0);
    if (n <= 0) return -1;
    got += static_cast<std::size_t>(n);
  }
  return DecodeHeader(header).first;
}

Bytes RequestHeader(std::uint32_t code, std::uint32_t length) {
  const auto header = EncodeHeader({code, length});
  return Bytes(header.begin(), header.end());
}

TEST_F(SimulatorOverSocketTest, OnlyWholeFramesAreAnsweredByTheMouseAndLogged) {
  Serve({{}, "mouse", folder.path() / "frames.bin", {}, -1});
  PosixDriverTransport transport(folder.path());
  Bytes shortFrame = Frame(6, {0});
  shortFrame.resize(100);
  auto device = transport.Open("mouse", false);
  ASSERT_TRUE(device);
  EXPECT_EQ(device->Control(CommandIoControlCode, shortFrame.data(), 100), kErrorInvalidParameter);

  // A request cut short: the header promises a whole frame, the client stops half way.
  const int cut = ConnectRaw(folder.path() / "mouse");
  ASSERT_GE(cut, 0);
  Bytes partial = RequestHeader(CommandIoControlCode, CommandFrameSize);
  partial.insert(partial.end(), shortFrame.begin(), shortFrame.end());
  SendRaw(cut, partial);
  ::shutdown(cut, SHUT_WR);
  EXPECT_EQ(ReplyStatus(cut), kErrorInvalidParameter);
  ::close(cut);

  Bytes frame = Frame(6, {0});
  device = transport.Open("mouse", false);
  ASSERT_TRUE(device);
  EXPECT_EQ(device->Control(CommandIoControlCode, frame.data(), static_cast<std::uint32_t>(frame.size())), kErrorSuccess);
  EXPECT_EQ(test::ReadFile(folder.path() / "frames.bin"), frame) << "the log holds whole frames only";
  EXPECT_EQ(mouse.CurrentState().frames, 1u);
}

TEST_F(SimulatorOverSocketTest, AClientThatSendsOneByteDelaysNobody) {
  Serve({{}, "mouse", {}, {}, -1, 1000});
  const int slow = ConnectRaw(folder.path() / "mouse");
  ASSERT_GE(slow, 0);
  SendRaw(slow, Bytes{0x00});
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the server has taken the slow client
  PosixDriverTransport transport(folder.path());
  Bytes frame = Frame(6, {0});
  const auto start = std::chrono::steady_clock::now();
  auto device = transport.Open("mouse", false);
  ASSERT_TRUE(device);
  EXPECT_EQ(device->Control(CommandIoControlCode, frame.data(), static_cast<std::uint32_t>(frame.size())), kErrorSuccess);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  EXPECT_EQ(ReplyStatus(slow), kErrorInvalidParameter) << "the slow client gets an error at its deadline";
  ::close(slow);
}

// A slow mouse acts on the frame at once and answers late: a channel that waits long enough gets
// the answer, one that gives up first times out though the frame was taken.
TEST_F(SimulatorOverSocketTest, ADelayedReplyComesLateAndTheFrameIsTakenAtOnce) {
  Serve({{}, "mouse", {}, {}, -1, 2000, 300});
  Bytes frame = Frame(6, {0});
  PosixDriverTransport patient(folder.path(), 5000);
  const auto start = std::chrono::steady_clock::now();
  auto device = patient.Open("mouse", false);
  ASSERT_TRUE(device);
  EXPECT_EQ(device->Control(CommandIoControlCode, frame.data(), static_cast<std::uint32_t>(frame.size())), kErrorSuccess);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300)) << "the reply was not held back";

  PosixDriverTransport hasty(folder.path(), 50);
  device = hasty.Open("mouse", false);
  ASSERT_TRUE(device);
  EXPECT_EQ(device->Control(CommandIoControlCode, frame.data(), static_cast<std::uint32_t>(frame.size())), kErrorSemTimeout);
  EXPECT_EQ(mouse.CurrentState().frames, 2u) << "the frame whose answer came too late was taken";

  // A refused request never reaches the mouse, so its error is not held back.
  Bytes shortFrame(10, 0x16);
  device = hasty.Open("mouse", false);
  ASSERT_TRUE(device);
  EXPECT_EQ(device->Control(CommandIoControlCode, shortFrame.data(), 10), kErrorInvalidParameter);
}

// A silent mouse keeps every client waiting until it hangs up, then lets go of it: more clients
// than the server and its listen backlog hold at once all still reach it and time out.
TEST_F(SimulatorOverSocketTest, AMouseThatNeverAnswersLetsGoOfClientsThatGaveUp) {
  Serve({{}, "mouse", {}, {}, -1, 50, SimServerOptions::kNeverAnswer});
  PosixDriverTransport transport(folder.path(), 20);
  Bytes frame = Frame(6, {0});
  for (std::size_t i = 0; i < SimServer::kMaxClients + 64 + 4; ++i) {
    auto device = transport.Open("mouse", false);
    ASSERT_TRUE(device) << "call " << i << ": the server holds clients that hung up";
    ASSERT_EQ(device->Control(CommandIoControlCode, frame.data(), static_cast<std::uint32_t>(frame.size())),
              kErrorSemTimeout)
        << "call " << i << ": the client deadline (50 ms) must not answer a request the mouse took";
  }
  // A client that stays connected gets nothing, not even after the client deadline.
  const int waiting = ConnectRaw(folder.path() / "mouse");
  ASSERT_GE(waiting, 0);
  Bytes request = RequestHeader(CommandIoControlCode, CommandFrameSize);
  request.insert(request.end(), frame.begin(), frame.end());
  SendRaw(waiting, request);
  pollfd p{waiting, POLLIN, 0};
  EXPECT_EQ(::poll(&p, 1, 300), 0) << "a silent mouse answered or hung up";
  ::close(waiting);
}

TEST_F(SimulatorOverSocketTest, ASecondServerIsRefusedAndTheFirstKeepsServing) {
  Serve({{}, "mouse", {}, {}, -1});
  SimulatedMouse other;
  SimServer second(other, {folder.path(), "mouse", {}, {}, -1});
  std::string error;
  EXPECT_FALSE(second.Start(error));
  EXPECT_NE(error.find("another server is answering on"), std::string::npos) << error;
  second.Stop();
  second.Run();  // ends at once; it must not remove the first server's socket
  PosixDriverTransport transport(folder.path());
  Bytes frame = Frame(6, {0});
  auto device = transport.Open("mouse", false);
  ASSERT_TRUE(device);
  EXPECT_EQ(device->Control(CommandIoControlCode, frame.data(), static_cast<std::uint32_t>(frame.size())), kErrorSuccess);
  EXPECT_EQ(mouse.CurrentState().frames, 1u);
}

TEST_F(SimulatorOverSocketTest, StoppingAServerLeavesASocketThatIsNotItsOwn) {
  Serve({{}, "mouse", {}, {}, -1});
  // Someone removed the first server's socket and a second server made its own at the same path.
  std::filesystem::remove(folder.path() / "mouse");
  SimulatedMouse other;
  SimServer second(other, {folder.path(), "mouse", {}, {}, -1});
  std::string error;
  ASSERT_TRUE(second.Start(error)) << error;
  std::thread secondThread([&] { second.Run(); });
  server->Stop();
  thread.join();
  EXPECT_TRUE(std::filesystem::exists(folder.path() / "mouse")) << "the first server left the second one's socket";
  PosixDriverTransport transport(folder.path());
  Bytes frame = Frame(6, {0});
  auto device = transport.Open("mouse", false);
  ASSERT_TRUE(device);
  EXPECT_EQ(device->Control(CommandIoControlCode, frame.data(), static_cast<std::uint32_t>(frame.size())), kErrorSuccess);
  EXPECT_EQ(other.CurrentState().frames, 1u);
  second.Stop();
  secondThread.join();
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "mouse")) << "its own socket goes with it";
}

TEST(SimServer, ReplacesASocketNobodyAnswersOn) {
  test::TempFolder folder;
  const std::filesystem::path path = folder.path() / "mouse";
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  const int dead = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(::bind(dead, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ::close(dead);  // the socket file stays, nobody listens
  SimulatedMouse mouse;
  SimServer server(mouse, {folder.path(), "mouse", {}, {}, -1});
  std::string error;
  EXPECT_TRUE(server.Start(error)) << error;
}

TEST(SimServer, RefusesAMemoryFileThatIsNotAnImage) {
  test::TempFolder folder;
  SimulatedMouse mouse;
  std::string error;
  SimServer overFolder(mouse, {folder.path(), "mouse", {}, folder.path(), -1});
  EXPECT_FALSE(overFolder.Start(error));
  EXPECT_EQ(error, folder.str() + " is a folder, not a memory image of the mouse");
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "mouse")) << "refused before the socket is made";
  test::WriteFile(folder.path() / "short.bin", Bytes(1000, 0));
  SimServer overShort(mouse, {folder.path(), "mouse", {}, folder.path() / "short.bin", -1});
  EXPECT_FALSE(overShort.Start(error));
  EXPECT_NE(error.find("1000 bytes"), std::string::npos) << error;
}

TEST(MemoryImageFile, OnlyARegularFileOfAnImageSizeIsRead) {
  test::TempFolder folder;
  Bytes image;
  std::string error;
  EXPECT_FALSE(ReadMemoryImageFile(folder.path(), image, error));
  EXPECT_EQ(error, folder.str() + " is a folder, not a memory image of the mouse");
  EXPECT_FALSE(ReadMemoryImageFile("/dev/zero", image, error)) << "never read until memory runs out";
  EXPECT_EQ(error, "/dev/zero is not a regular file, so not a memory image of the mouse");
  test::WriteFile(folder.path() / "huge.bin", Bytes(8u << 20, 0));
  EXPECT_FALSE(ReadMemoryImageFile(folder.path() / "huge.bin", image, error));
  EXPECT_EQ(error, folder.str("huge.bin") + " is not a memory image of the mouse: larger than 65536 or 65560 bytes");
  Bytes unmarked(SimulatedMouse::kImageWithStateSize, 0);
  test::WriteFile(folder.path() / "unmarked.bin", unmarked);
  EXPECT_FALSE(ReadMemoryImageFile(folder.path() / "unmarked.bin", image, error));
  EXPECT_NE(error.find("with its state marker"), std::string::npos) << error;
  EXPECT_FALSE(ReadMemoryImageFile(folder.path() / "missing.bin", image, error));
  EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
  EXPECT_TRUE(image.empty()) << "nothing is handed out on failure";

  SimulatedMouse mouse;
  Bytes write = Frame(2, {0, 1, 1, 0, 0xFA, 0xFA, 0xFA}, {42});
  ASSERT_EQ(mouse.HandleControl(CommandIoControlCode, write), kErrorSuccess);
  test::WriteFile(folder.path() / "saved.bin", mouse.SaveImage());
  ASSERT_TRUE(ReadMemoryImageFile(folder.path() / "saved.bin", image, error)) << error;
  EXPECT_EQ(image, mouse.SaveImage());
  test::WriteFile(folder.path() / "bare.bin", Bytes(SimulatedMouse::kMemorySize, 0));
  EXPECT_TRUE(ReadMemoryImageFile(folder.path() / "bare.bin", image, error)) << error;
}

TEST(SimRequestReader, TakesARequestInPiecesAndRefusesWhatIsNotOne) {
  Bytes request = RequestHeader(0x1234, 3);
  request.insert(request.end(), {7, 8, 9, 10});
  SimRequestReader reader;
  std::size_t used = 0;
  for (std::uint8_t byte : request) used += reader.Feed(std::span(&byte, 1));
  EXPECT_EQ(used, 11u) << "the byte after the request is not taken";
  ASSERT_EQ(reader.state(), SimRequestReader::State::Complete);
  EXPECT_EQ(reader.code(), 0x1234u);
  EXPECT_EQ(reader.body(), (Bytes{7, 8, 9}));

  SimRequestReader wrongSize;
  wrongSize.Feed(RequestHeader(CommandIoControlCode, CommandFrameSize - 1));
  EXPECT_EQ(wrongSize.state(), SimRequestReader::State::Refused);
  SimRequestReader tooLong;
  tooLong.Feed(RequestHeader(0x1234, kDriverMessageLimit + 1));
  EXPECT_EQ(tooLong.state(), SimRequestReader::State::Refused);
  SimulatedMouse mouse;
  const SimReply reply = AnswerRequest(mouse, wrongSize);
  EXPECT_EQ(reply.status, kErrorInvalidParameter);
  EXPECT_FALSE(reply.frameReceived);
  EXPECT_EQ(reply.bytes, RequestHeader(kErrorInvalidParameter, 0));
  EXPECT_EQ(mouse.CurrentState().frames, 0u);

  SimRequestReader frame;
  Bytes bytes = RequestHeader(CommandIoControlCode, CommandFrameSize);
  const Bytes body = Frame(7, {5});
  bytes.insert(bytes.end(), body.begin(), body.end());
  EXPECT_EQ(frame.Feed(bytes), bytes.size());
  const SimReply answered = AnswerRequest(mouse, frame);
  EXPECT_EQ(answered.status, kErrorSuccess);
  EXPECT_TRUE(answered.frameReceived);
  EXPECT_EQ(answered.bytes.size(), 8 + CommandFrameSize);
  EXPECT_EQ(mouse.CurrentState().command7, 5);
}

// A memory image with a few values set, as a test writes them.
class DecodeTest : public ::testing::Test {
 protected:
  void Put(std::size_t address, Bytes bytes) { std::copy(bytes.begin(), bytes.end(), memory.begin() + address); }
  std::string Text(const nlohmann::json& decoded) {
    std::ostringstream out;
    PrintDecodedMemory(out, decoded);
    return out.str();
  }
  Bytes memory = Bytes(SimulatedMouse::kMemorySize, 0);
};

TEST_F(DecodeTest, UsagesAreNamedAfterTheKeyThatProducesThem) {
  EXPECT_EQ(HidUsageName(97, false), "NUMPAD 9") << "the navigation row without the flag is the keypad key";
  EXPECT_EQ(HidUsageName(89, false), "NUMPAD 1");
  EXPECT_EQ(HidUsageName(98, false), "NUMPAD 0");
  EXPECT_EQ(HidUsageName(75, false), "PAGE UP");
  EXPECT_EQ(HidUsageName(80, false), "LEFT ARROW");
  EXPECT_EQ(HidUsageName(40, false), "ENTER");
  EXPECT_EQ(HidUsageName(88, false), "NUMPAD ENTER");
  EXPECT_EQ(HidUsageName(4, false), "A");
  EXPECT_EQ(HidUsageName(226, false), "L ALT");
  EXPECT_EQ(HidUsageName(226, true), "VOLUME_MUTE");
  EXPECT_EQ(HidUsageName(0xF0, false), "usage 0xF0");
}

TEST_F(DecodeTest, TextFormShowsEverythingMemoryAndStateHold) {
  Put(kAddressReportInterval, {2});
  Put(kAddressCurrentProfile, {3});
  Put(ButtonBlockAddress(kButtonBlockBase, 0, 0), {2, 16, 0, 97, 0, 15, 1, 89, 0});
  // Level 1 has X 1200 and Y 1600; level 2 a step the table does not have.
  Put(kAddressSensitivity[0], {4, 1, 1, 2, 3, 1, 9, 9, 0, 0, 0, 1, 7, 7});
  // The light of Mode1 ends in the byte that starts Mode2's sensitivity record.
  Put(kAddressLight[0], {0xF5, 0x37, 0xE1, 3, 2, 4});
  SimulatedMouse::State state;
  state.memoryLocation = 1;
  state.writeState = 0;
  state.command7 = 5;
  state.light = {0x00, 0xFF, 0x7F, 9, 1};
  state.rateChanges = 2;
  state.frames = 7;
  const nlohmann::json decoded = DecodeMemory(memory, state);
  EXPECT_EQ(Text(decoded),
            "report rate: 500 Hz (interval 2)\n"
            "current profile: 3\n"
            "active location: Mode2\n"
            "write state: open (0)\n"
            "command 7: 5\n"
            "last light command: #FF0080, brightness 9, breathing 1\n"
            "rate changes: 2, frames: 7\n"
            "Mode1:\n"
            "  plain group (2 buttons):\n"
            "    1: Single Key NUMPAD 9\n"
            "    2: Combo Key Ctrl+NUMPAD 1\n"
            "  alt group (0 buttons):\n"
            "  ctrl group (0 buttons):\n"
            "  shift group (0 buttons):\n"
            "  CPI (4 levels): 1=X 1200/Y 1600 2=step 9? 3=400 (off) 4=3500; active level 2\n"
            "  light: #0AC81E, brightness 3, breathing 2, breath second 4\n"
            "Mode2:\n"
            "  plain group (0 buttons):\n"
            "  alt group (0 buttons):\n"
            "  ctrl group (0 buttons):\n"
            "  shift group (0 buttons):\n"
            "  CPI (4 levels): 1=400 (off) 2=400 (off) 3=400 (off) 4=400 (off); active level 1\n"
            "  light: #FFFFFF, brightness 0, breathing 0, breath second 0\n"
            "warning: Mode1 CPI level 2: X step 9 is not in the CPI table\n"
            "warning: Mode1 CPI level 2: Y step 9 is not in the CPI table\n");
  const auto& level = decoded["locations"][0]["sensitivity"]["levels"];
  EXPECT_EQ(level[0]["cpiY"], 1600);
  EXPECT_EQ(level[0]["deviceIndexY"], 3);
  EXPECT_TRUE(level[1]["cpiX"].is_null()) << "an unknown step has no CPI, not -1";
  EXPECT_EQ(level[1]["deviceIndexX"], 9);
  EXPECT_EQ(decoded["locations"][0]["light"]["breathSecond"], 4);
  EXPECT_EQ(decoded["lastLight"]["bytes"], (nlohmann::json{0x00, 0xFF, 0x7F, 9, 1}));
  EXPECT_EQ(decoded["command7"], 5);
  EXPECT_EQ(decoded["writeState"], 0);
  EXPECT_EQ(decoded["locations"][0]["buttonGroups"]["plain"][0]["hid"], 97);
}

TEST_F(DecodeTest, DamagedTablesAreShownAsFarAsTheyGoWithWarnings) {
  Bytes table(kButtonTableSize, 0);
  table[0] = 20;
  for (int b = 0; b < 16; ++b) table[1 + 4 * b] = 1;
  table[1] = 17;  // a macro in slot 6, which a group does not have
  table[2] = 6;
  table[5] = 33;  // no such function
  table[6] = 1;
  Put(ButtonBlockAddress(kButtonBlockBase, 1, 3), table);
  Put(ButtonBlockAddress(kButtonBlockBase, 0, 1), {1, 17, 0, 200, 0});  // a macro longer than its slot
  Put(kAddressReportInterval, {7});
  Put(kAddressCurrentProfile, {9});
  SimulatedMouse::State state;
  state.memoryLocation = 4;
  state.writeState = 3;
  const nlohmann::json decoded = DecodeMemory(memory, state);
  const auto& shift = decoded["locations"][1];
  EXPECT_EQ(shift["buttonCounts"]["shift"], 20) << "the count as stored";
  EXPECT_EQ(shift["buttonGroups"]["shift"].size(), 16u) << "the table has room for 16";
  EXPECT_EQ(shift["buttonGroups"]["shift"][1]["bytes"], (nlohmann::json{33, 1, 0, 0}));
  EXPECT_EQ(decoded["locations"][0]["buttonGroups"]["alt"][0]["steps"].size(), 60u);
  EXPECT_EQ(decoded["warnings"],
            (nlohmann::json{"Mode1 alt button 1: macro length 200 is more than the slot's 180 bytes",
                            "Mode2 shift group: button count 20 is more than the table's 16; the first 16 are shown",
                            "Mode2 shift button 1: macro slot 6 does not exist (0..4)",
                            "Mode2 shift button 2: unknown function code 33",
                            "report interval 7 ms is not a rate the mouse has",
                            "current profile 9 is not one of the five (0..4)",
                            "active location 4 is neither Mode1 (0) nor Mode2 (1)",
                            "write state 3 is neither open (0) nor closed (1)"}));
  const std::string text = Text(decoded);
  EXPECT_NE(text.find("  shift group (20 buttons):\n"), std::string::npos) << text;
  EXPECT_NE(text.find("    2: Code 33 (bytes 1 0 0)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("report rate: unknown (interval 7)\n"), std::string::npos) << text;
  EXPECT_NE(text.find("write state: unknown (3)\n"), std::string::npos) << text;
}

TEST_F(SimulatorOverSocketTest, TwoAppliesAtOnceNeverInterleaveTheirFrames) {
  Serve({{}, "usbglcs00001", folder.path() / "frames.bin", {}, -1});
  std::atomic<int> ready{0};
  ApplyResult results[2];
  auto applyOnce = [&](int which) {
    FakeRegistryStore ownStore;
    FakeSystemLocale ownLocale;
    ManualScheduler ownScheduler;
    PosixDriverTransport transport(folder.path());
    TuiSTDCommand channel(transport, ownScheduler, "/nonexistent/config.ini");
    auto dm = CreateDataModule(ownStore, ownLocale);
    ApplyState state;
    ApplyHooks hooks;
    // Real pauses, as q9ctl makes them: the two runs overlap for their whole length.
    hooks.ProgressPause = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    ++ready;
    while (ready < 2) std::this_thread::yield();
    results[which] = ApplySettingsToDevice(*dm, channel, state, hooks);
  };
  std::thread first(applyOnce, 0);
  std::thread second(applyOnce, 1);
  first.join();
  second.join();
  const Bytes sequence = test::Fixture("apply_factory.frames");
  const Bytes log = test::ReadFile(folder.path() / "frames.bin");
  const int applied = results[0].ok() + results[1].ok();
  for (const ApplyResult& result : results)
    EXPECT_TRUE(result.ok() || result.outcome == ApplyOutcome::DeviceBusy) << result.message;
  ASSERT_GE(applied, 1);
  Bytes expected;
  for (int i = 0; i < applied; ++i) expected.insert(expected.end(), sequence.begin(), sequence.end());
  EXPECT_EQ(log.size(), expected.size());
  EXPECT_TRUE(log == expected) << "each apply's frames are one whole run";
}

TEST_F(SimulatorOverSocketTest, TheDeviceLockSitsBesideTheSocketAndIsExclusive) {
  PosixDriverTransport transport(folder.path());
  EXPECT_EQ(transport.LockPath("usbglcs00001"), folder.path() / "usbglcs00001.lock");
  EXPECT_EQ(transport.DeviceLocation("usbglcs00001"), (folder.path() / "usbglcs00001").string());
  std::unique_ptr<DeviceLease> first, second;
  const mode_t umask = ::umask(077);  // a private umask must not keep other users off the lock
  ASSERT_EQ(transport.TryLockDevice("usbglcs00001", first), DeviceLockResult::Acquired);
  ::umask(umask);
  ASSERT_TRUE(first) << "a lock file could be made here";
  EXPECT_EQ(std::filesystem::status(transport.LockPath("usbglcs00001")).permissions() & std::filesystem::perms::others_read,
            std::filesystem::perms::others_read)
      << "every user of the mouse can lock it";
  EXPECT_EQ(PosixDriverTransport(folder.path()).TryLockDevice("usbglcs00001", second), DeviceLockResult::Busy);
  EXPECT_EQ(transport.TryLockDevice("another", second), DeviceLockResult::Acquired) << "per device";
  first.reset();
  EXPECT_EQ(transport.TryLockDevice("usbglcs00001", second), DeviceLockResult::Acquired) << "released with its lease";
}

TEST(SimServer, RefusesToReplaceAFileThatIsNotASocket) {
  test::TempFolder folder;
  test::WriteFile(folder.path() / "usbglcs00001", Bytes{1});
  SimulatedMouse mouse;
  SimServer server(mouse, {folder.path(), "usbglcs00001", {}, {}, -1});
  std::string error;
  EXPECT_FALSE(server.Start(error));
  EXPECT_NE(error.find("not a socket"), std::string::npos);
  EXPECT_EQ(test::ReadFile(folder.path() / "usbglcs00001"), Bytes{1});
}

}  // namespace
}  // namespace q9
