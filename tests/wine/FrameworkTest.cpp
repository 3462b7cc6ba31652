#include <windows.h>

#include <gmock/gmock.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "framework/Gdi.h"
#include "framework/Registry.h"
#include "framework/Screenshot.h"
#include "tests/wine/FrameworkTestIds.h"

namespace discdeck::fw {
namespace {

constexpr UINT kOverridden = WM_USER + 10;
constexpr UINT kBaseOnly = WM_USER + 11;
constexpr UINT kUnmapped = WM_USER + 12;
constexpr UINT kThrows = WM_USER + 13;

class TestButton : public ButtonT<ControlHost> {
  public:
    std::vector<UINT> drawn;
    int finalMessages = 0;
    bool hostKnownBeforeSubclass = true;
    bool styleSetBeforeSubclass = false;

    void DrawItem(const DRAWITEMSTRUCT& item) override { drawn.push_back(item.CtlID); }

  protected:
    void PreSubclassWindow() override {
        hostKnownBeforeSubclass = FromHandle(hwnd) != nullptr;
        ModifyStyle(0, WS_TABSTOP);
        styleSetBeforeSubclass = (GetStyle() & WS_TABSTOP) != 0;
    }
    void OnFinalMessage() override { ++finalMessages; }

  private:
    // The control's own answer plus 100, to see that Default() reached the button procedure.
    LRESULT OnGetTextLength(WPARAM, LPARAM) { return Default() + 100; }

    DISCDECK_DECLARE_MESSAGE_MAP()
};

const MessageMap* TestButton::GetThisMessageMap() {
    static const MessageEntry entries[] = {OnMessage<&TestButton::OnGetTextLength>(WM_GETTEXTLENGTH)};
    static const MessageMap map = MakeMessageMap(&ControlHost::GetThisMessageMap, entries);
    return &map;
}

class BaseTestDialog : public Dialog {
  public:
    BaseTestDialog() : Dialog(IDD_FRAMEWORK_TEST) {}

  private:
    LRESULT OnOverridden(WPARAM, LPARAM) { return 1; }
    LRESULT OnBaseOnly(WPARAM, LPARAM) { return 11; }

    DISCDECK_DECLARE_MESSAGE_MAP()
};

const MessageMap* BaseTestDialog::GetThisMessageMap() {
    using T = BaseTestDialog;
    static const MessageEntry entries[] = {
        OnMessage<&T::OnOverridden>(kOverridden),
        OnMessage<&T::OnBaseOnly>(kBaseOnly),
    };
    static const MessageMap map = MakeMessageMap(&Dialog::GetThisMessageMap, entries);
    return &map;
}

class TestDialog : public BaseTestDialog {
  public:
    TestButton button;
    ListBox list;
    int16_t port = 80;
    std::string server = "server";
    int check = 0;
    std::vector<std::string> messages;
    std::vector<UINT> commands;
    std::vector<UINT> parentDrawn;
    int portChanges = 0;
    int doubleClicks = 0;
    UINT mouseFlags = 0;
    POINT mousePoint{};
    bool endAtStart = false;

    void ShowDataExchangeMessage(const std::string& text) override { messages.push_back(text); }

  protected:
    bool OnInitDialog() override {
        Dialog::OnInitDialog();
        if (endAtStart) {
            Post(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
        }
        return true;
    }
    void DoDataExchange(DataExchange& dx) override {
        DdxControl(dx, IDC_HOSTED_BUTTON, button);
        DdxControl(dx, IDC_LIST, list);
        DdxCheck(dx, IDC_CHECK, check);
        DdxText(dx, IDC_PORT_EDIT, port);
        DdxText(dx, IDC_SERVER_EDIT, server);
    }

  private:
    LRESULT OnOverridden(WPARAM, LPARAM) { return 2; }
    LRESULT OnThrows(WPARAM, LPARAM) { throw std::runtime_error("handler failure"); }
    void OnCommandInRange(UINT id) { commands.push_back(id); }
    void OnPortChange() { ++portChanges; }
    void OnListDoubleClick() { ++doubleClicks; }
    void OnParentDrawItem(const DRAWITEMSTRUCT& item) { parentDrawn.push_back(item.CtlID); }
    void OnRightButtonDown(UINT flags, POINT point) {
        mouseFlags = flags;
        mousePoint = point;
    }

    DISCDECK_DECLARE_MESSAGE_MAP()
};

const MessageMap* TestDialog::GetThisMessageMap() {
    using T = TestDialog;
    static const MessageEntry entries[] = {
        OnMessage<&T::OnOverridden>(kOverridden),
        OnMessage<&T::OnThrows>(kThrows),
        OnCommandRange<&T::OnCommandInRange>(20, 29),
        OnControl<&T::OnPortChange>(EN_CHANGE, IDC_PORT_EDIT),
        OnControl<&T::OnListDoubleClick>(LBN_DBLCLK, IDC_LIST),
        OnDrawItem<&T::OnParentDrawItem>(),
        OnMouse<&T::OnRightButtonDown>(WM_RBUTTONDOWN),
    };
    static const MessageMap map = MakeMessageMap(&BaseTestDialog::GetThisMessageMap, entries);
    return &map;
}

class FrameworkTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dialog.Create()); }
    HWND Item(int id) const { return ::GetDlgItem(dialog.GetHandle(), id); }
    LRESULT DrawItem(int id) {
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.CtlID = static_cast<UINT>(id);
        item.hwndItem = Item(id);
        return dialog.Send(WM_DRAWITEM, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&item));
    }

    TestDialog dialog;
};

TEST_F(FrameworkTest, DerivedEntriesComeFirstThenTheBaseChainThenDefault) {
    EXPECT_EQ(dialog.Send(kOverridden), 2);
    EXPECT_EQ(dialog.Send(kBaseOnly), 11);
    EXPECT_EQ(dialog.Send(kUnmapped), 0);
    // Unmapped messages still get the dialog manager's processing.
    dialog.SetText("caption");
    EXPECT_EQ(dialog.GetText(), "caption");
}

TEST_F(FrameworkTest, CommandsMatchTheirIdRangeAndNotificationCode) {
    dialog.Send(WM_COMMAND, MAKEWPARAM(20, 0));
    dialog.Send(WM_COMMAND, MAKEWPARAM(29, BN_CLICKED));
    dialog.Send(WM_COMMAND, MAKEWPARAM(30, 0));
    dialog.Send(WM_COMMAND, MAKEWPARAM(25, EN_CHANGE));
    EXPECT_THAT(dialog.commands, testing::ElementsAre(20u, 29u));

    // Real notifications from the controls.
    int before = dialog.portChanges;
    Window(Item(IDC_PORT_EDIT)).SetText("8080");
    EXPECT_EQ(dialog.portChanges, before + 1);
    Window(Item(IDC_SERVER_EDIT)).SetText("other");
    EXPECT_EQ(dialog.portChanges, before + 1);
    dialog.Send(WM_COMMAND, MAKEWPARAM(IDC_LIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(Item(IDC_LIST)));
    dialog.Send(WM_COMMAND, MAKEWPARAM(IDC_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(Item(IDC_LIST)));
    EXPECT_EQ(dialog.doubleClicks, 1);
}

TEST_F(FrameworkTest, MouseHandlersGetSignedClientPoints) {
    dialog.Send(WM_RBUTTONDOWN, MK_RBUTTON | MK_SHIFT, MAKELPARAM(-5, 7));
    EXPECT_EQ(dialog.mouseFlags, static_cast<UINT>(MK_RBUTTON | MK_SHIFT));
    EXPECT_EQ(dialog.mousePoint.x, -5);
    EXPECT_EQ(dialog.mousePoint.y, 7);
}

TEST_F(FrameworkTest, OwnerDrawGoesToTheChildHostAndOtherwiseToTheParent) {
    EXPECT_EQ(DrawItem(IDC_HOSTED_BUTTON), TRUE);
    EXPECT_EQ(DrawItem(IDC_PLAIN_BUTTON), TRUE);
    EXPECT_THAT(dialog.button.drawn, testing::ElementsAre(static_cast<UINT>(IDC_HOSTED_BUTTON)));
    EXPECT_THAT(dialog.parentDrawn, testing::ElementsAre(static_cast<UINT>(IDC_PLAIN_BUTTON)));

    // And the real requests of a shown dialog take the same ways.
    dialog.button.drawn.clear();
    dialog.parentDrawn.clear();
    dialog.Show(SW_SHOWNOACTIVATE);
    dialog.Update();
    EXPECT_THAT(dialog.button.drawn, testing::Contains(static_cast<UINT>(IDC_HOSTED_BUTTON)));
    EXPECT_THAT(dialog.parentDrawn, testing::Not(testing::Contains(static_cast<UINT>(IDC_HOSTED_BUTTON))));
    EXPECT_THAT(dialog.parentDrawn, testing::Contains(static_cast<UINT>(IDC_PLAIN_BUTTON)));
}

TEST_F(FrameworkTest, DefaultReachesTheControlsOwnProcedure) {
    EXPECT_EQ(dialog.button.Send(WM_GETTEXTLENGTH), 106);  // "Hosted" + 100
}

TEST_F(FrameworkTest, AnExceptionInAHandlerIsContained) {
    EXPECT_EQ(dialog.Send(kThrows), 0);
    EXPECT_TRUE(dialog.IsWindow());
    EXPECT_EQ(dialog.Send(kOverridden), 2);
}

TEST_F(FrameworkTest, HostsAreRegisteredAtSubclassingAndReleasedWithTheWindow) {
    EXPECT_EQ(MessageHost::FromHandle(dialog.GetHandle()), &dialog);
    EXPECT_EQ(MessageHost::FromHandle(Item(IDC_HOSTED_BUTTON)), &dialog.button);
    EXPECT_EQ(MessageHost::FromHandle(Item(IDC_PLAIN_BUTTON)), nullptr);
    EXPECT_FALSE(dialog.button.hostKnownBeforeSubclass);
    EXPECT_TRUE(dialog.button.styleSetBeforeSubclass);

    // A second exchange does not subclass again, and a second host cannot take the window.
    EXPECT_TRUE(dialog.UpdateData(false));
    TestButton other;
    EXPECT_FALSE(other.SubclassWindow(Item(IDC_HOSTED_BUTTON)));
    EXPECT_EQ(MessageHost::FromHandle(Item(IDC_HOSTED_BUTTON)), &dialog.button);

    dialog.EndDialog(IDCANCEL);  // modeless: destroys the window
    EXPECT_EQ(dialog.GetHandle(), nullptr);
    EXPECT_EQ(dialog.button.GetHandle(), nullptr);
    EXPECT_EQ(dialog.button.finalMessages, 1);
}

TEST_F(FrameworkTest, AHostThatGoesFirstLeavesAWorkingWindow) {
    HWND plain = Item(IDC_PLAIN_BUTTON);
    {
        TestButton shortLived;
        ASSERT_TRUE(shortLived.SubclassWindow(plain));
        EXPECT_EQ(shortLived.Send(WM_GETTEXTLENGTH), 105);  // "Plain" + 100
    }
    EXPECT_EQ(MessageHost::FromHandle(plain), nullptr);
    EXPECT_EQ(Window(plain).Send(WM_GETTEXTLENGTH), 5);
}

TEST_F(FrameworkTest, DataExchangeLoadsAndSavesTheMembers) {
    dialog.port = -1;
    dialog.server = "cddb.example";
    dialog.check = 1;
    ASSERT_TRUE(dialog.UpdateData(false));
    EXPECT_EQ(Window(Item(IDC_PORT_EDIT)).GetText(), "-1");
    EXPECT_EQ(Window(Item(IDC_SERVER_EDIT)).GetText(), "cddb.example");
    EXPECT_EQ(Button(Item(IDC_CHECK)).GetCheck(), BST_CHECKED);

    Window(Item(IDC_PORT_EDIT)).SetText(" 8880 ");
    Window(Item(IDC_SERVER_EDIT)).SetText("other.example");
    Button(Item(IDC_CHECK)).SetCheck(BST_UNCHECKED);
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.port, 8880);
    EXPECT_EQ(dialog.server, "other.example");
    EXPECT_EQ(dialog.check, 0);
    EXPECT_TRUE(dialog.messages.empty());
}

TEST_F(FrameworkTest, ABadIntegerFailsTheExchangeAndKeepsTheMembers) {
    Window(Item(IDC_PORT_EDIT)).SetText("abc");
    Window(Item(IDC_SERVER_EDIT)).SetText("changed.example");
    EXPECT_FALSE(dialog.UpdateData(true));
    EXPECT_THAT(dialog.messages, testing::ElementsAre("Please enter an integer."));
    EXPECT_EQ(dialog.port, 80);
    EXPECT_EQ(dialog.server, "server");
    EXPECT_EQ(::GetFocus(), Item(IDC_PORT_EDIT));
}

TEST_F(FrameworkTest, OkSavesAndEndsAModalRun) {
    dialog.EndDialog(IDCANCEL);
    TestDialog modal;
    modal.endAtStart = true;
    modal.port = 1234;
    EXPECT_EQ(modal.DoModal(), IDOK);
    EXPECT_EQ(modal.port, 1234);  // saved back from the edit it was loaded into
    EXPECT_EQ(modal.GetHandle(), nullptr);
}

class RegistryProfileTest : public testing::Test {
  protected:
    void TearDown() override { DeleteKeyTree(HKEY_CURRENT_USER, "Software\\DiscdeckFrameworkTest"); }
    RegistryProfile profile{"DiscdeckFrameworkTest", "app"};
};

TEST_F(RegistryProfileTest, ValuesRoundTripUnderTheApplicationsSection) {
    EXPECT_EQ(profile.GetString("Settings", "Server", "fallback"), "fallback");
    EXPECT_EQ(profile.GetInt("Settings", "Port", 80), 80u);
    ASSERT_TRUE(profile.WriteString("Settings", "Server", "127.0.0.1"));
    ASSERT_TRUE(profile.WriteInt("Settings", "Port", 0xFFFFFFFFu));
    EXPECT_EQ(profile.GetString("Settings", "Server", "fallback"), "127.0.0.1");
    EXPECT_EQ(profile.GetInt("Settings", "Port", 80), 0xFFFFFFFFu);

    Key key = Key::Open(HKEY_CURRENT_USER, "Software\\DiscdeckFrameworkTest\\app\\Settings");
    ASSERT_TRUE(key);
    EXPECT_EQ(key.QueryString("Server"), std::optional<std::string>("127.0.0.1"));
    EXPECT_EQ(key.QueryDword("Port"), std::optional<uint32_t>(0xFFFFFFFFu));
}

TEST_F(RegistryProfileTest, AValueOfAnotherTypeReadsAsAbsent) {
    ASSERT_TRUE(profile.WriteString("Settings", "Port", "8080"));
    ASSERT_TRUE(profile.WriteInt("Settings", "Server", 5));
    EXPECT_EQ(profile.GetInt("Settings", "Port", 80), 80u);
    EXPECT_EQ(profile.GetString("Settings", "Server", "fallback"), "fallback");
}

TEST_F(RegistryProfileTest, DeleteKeyTreeRemovesNestedKeys) {
    ASSERT_TRUE(profile.WriteString("A", "v", "1"));
    ASSERT_TRUE(profile.WriteString("B", "v", "2"));
    EXPECT_TRUE(DeleteKeyTree(HKEY_CURRENT_USER, "Software\\DiscdeckFrameworkTest"));
    EXPECT_FALSE(Key::Open(HKEY_CURRENT_USER, "Software\\DiscdeckFrameworkTest"));
    EXPECT_TRUE(DeleteKeyTree(HKEY_CURRENT_USER, "Software\\DiscdeckFrameworkTest"));
}

TEST(ScreenshotTest, BitmapPixelsRoundTripThroughABmpFile) {
    WindowDC screen(nullptr);
    Bitmap bitmap(::CreateCompatibleBitmap(screen.Get(), 3, 2));
    DC memory = DC::CompatibleWith(screen.Get());
    {
        SelectGuard select(memory.Get(), bitmap.Get());
        ::SetPixel(memory.Get(), 0, 0, RGB(255, 128, 0));
        ::SetPixel(memory.Get(), 2, 1, RGB(0, 0, 255));
        ::SetPixel(memory.Get(), 1, 0, RGB(255, 255, 255));
    }
    Image image = ReadBitmap(bitmap.Get());
    ASSERT_EQ(image.width, 3);
    ASSERT_EQ(image.height, 2);
    EXPECT_EQ(image.At(0, 0), RGB(255, 128, 0));
    EXPECT_EQ(image.At(2, 1), RGB(0, 0, 255));

    char folder[MAX_PATH];
    ::GetTempPathA(MAX_PATH, folder);
    std::string path = std::string(folder) + "discdeck-framework-test.bmp";
    ASSERT_TRUE(SaveBmp(image, path));
    Bitmap loaded(static_cast<HBITMAP>(::LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
    ASSERT_TRUE(loaded);
    Image back = ReadBitmap(loaded.Get());
    EXPECT_EQ(back.pixels, image.pixels);
    std::remove(path.c_str());
}

TEST(ApplicationTest, NameIsTheFileNameWithoutFolderOrExtension) {
    EXPECT_EQ(BaseNameWithoutExtension("C:\\Program Files\\discdeck.exe"), "discdeck");
    EXPECT_EQ(BaseNameWithoutExtension("Z:/a.b/player"), "player");
    EXPECT_EQ(LoadText(ResourceInstance(), IDS_FRAMEWORK_TEXT), "Framework text");
    EXPECT_EQ(LoadText(ResourceInstance(), 999), "");
}

}  // namespace
}  // namespace discdeck::fw
