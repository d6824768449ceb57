// The installer's resources in moxal_setup.dll, read as the installer reads them: each dialog
// template by its id with its title, font and fields, and each text of the string table.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/loaded_module.h"
#include "dialog_template.h"
#include "platform/tests/fixtures/scoped_host_variable.h"

namespace {

constexpr uint16_t kButton = 0x80, kEdit = 0x81, kStatic = 0x82, kListBox = 0x83;
constexpr uint32_t kButtonKind = 0x0F, kAutoRadioButton = 0x09, kBitmapStyle = 0x0E,
                   kStaticKind = 0x1F;
const std::vector<std::string> kWizardButtons = {"< &Back", "&Next >", "Cancel"};

struct DialogCase {
  WORD id;
  const char* title;
  std::vector<std::string> fields;   // labels, each followed by its edit control
  std::vector<std::string> choices;  // radio buttons, in order
  std::vector<std::string> buttons;  // push buttons that must be there
  bool page = true;                  // 315 by 204 with the bitmap area on the left
  const char* typeface = "MS Sans Serif";
};

const DialogCase kProductDialogs[] = {
    {107, "Java Image Location", {"JAVA.EXE path:"}, {}, kWizardButtons},
    {14032,
     "Java Image Location",
     {"JAVA.EXE path:"},
     {},
     {"&Browse", "< &Back", "&Next >", "Cancel"}},
    {14013, "CLASSPATH Definition", {"&Classpath:"}, {}, kWizardButtons},
    {14012,
     "Database Selection",
     {},
     {"&Oracle", "&Sybase", "&JDBC", "&Choose RDBMS later"},
     kWizardButtons},
    {14038, "Database Configuration", {}, {}, {"&Next >", "&Skip"}},
    {14029,
     "Port Configuation",
     {"&Agent Port:", "&Class Server Port:", "&Event Port:"},
     {},
     kWizardButtons},
    {14035,
     "Port Configuation",
     {"&Agent Port:", "&Class Server Port:", "&Event Port:", "&Event Port:"},
     {},
     kWizardButtons},
    {14031,
     "Server TCP/IP port configuration",
     {"&Server Port:", "&Event Port:"},
     {},
     kWizardButtons},
    {14033,
     "Managed Object Server Configuration",
     {"&Managed Object Server Port:", "&Managed &Object Server Name:"},
     {},
     kWizardButtons},
    {14030, "Database Name and Location", {"&Database Name:", "Server:"}, {}, kWizardButtons},
    {14039,
     "Oracle Configuration",
     {"&Server name:", "&Database name:", "Database &owner name:", "Database owner &password:"},
     {},
     kWizardButtons},
    {14040,
     "Oracle Configuration - continued",
     {"Oracle NLS path:", "Oracle TNS administrator path:", "System administrator &username:",
      "System administrator &password:"},
     {},
     kWizardButtons},
    {14041,
     "Oracle Configuration - continued",
     {"Database &size (MB):", "&Oracle installation directory:", "&Hostname of Oracle RDBMS:"},
     {},
     kWizardButtons},
    {14045,
     "Sybase Configuration",
     {"&Server name:", "&Database name:", "Database &owner name:", "Database owner &password:"},
     {},
     kWizardButtons},
    {14036,
     "Sybase Configuration - continued",
     {"&Disk device name:", "&Log device name:", "System administrator &username:",
      "System administrator &password:"},
     {},
     kWizardButtons},
    {14037,
     "Sybase Configuration - continued",
     {"Database &size (MB):", "Sybase &installation directory:", "&Hostname of Sybase RDBMS:"},
     {},
     kWizardButtons},
    {14042,
     "JDBC Configuration",
     {"&Database name:", "Database &owner name:", "Database owner &password:"},
     {},
     kWizardButtons},
    {14043,
     "JDBC Configuration - continued",
     {"JDBC URL &location:", "JDBC driver &class name:"},
     {},
     kWizardButtons},
    {14044,
     "JDBC Configuration - continued",
     {"Database &size (MB):", "System administrator &username:", "System administrator &password"},
     {},
     kWizardButtons},
    {14019, "", {}, {"N&IS", "NI&S+", "Windows &Default"}, {}, /*page=*/false},
};

const DialogCase kGeneralDialogs[] = {
    {10300, "Exit Setup", {}, {}, {}, /*page=*/false, "Helv"},
    {12004, "Confirm New Directory", {}, {}, {}, /*page=*/false},
    {12005, "Choose Destination Location", {}, {}, kWizardButtons},
    {12006, "Welcome", {}, {}, kWizardButtons},
    {12028, "Select Sub-components", {}, {}, kWizardButtons},
    {12029, "Software License Agreement", {}, {}, {"< &Back"}},
    {12030, "Start Copying Files", {}, {}, kWizardButtons},
    {12031, "Setup Complete", {}, {}, {"< &Back"}},
    {14028, "Select Components", {}, {}, kWizardButtons},
    {112, "Dialog", {}, {}, {"OK", "Cancel"}, /*page=*/false},
};

class SetupResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(library_) << GetLastError(); }

  // The fields and choices are checked as complete lists for the product dialogs, which the
  // installer fills from and reads back into constProp's answers.
  void expectDialog(const DialogCase& c, bool product) {
    SCOPED_TRACE(c.id);
    const std::optional<DialogTemplate> dialog = loadDialogTemplate(library_.get(), c.id);
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->title, c.title);
    EXPECT_EQ(dialog->pointSize, 8);
    EXPECT_EQ(dialog->typeface, c.typeface);
    const std::vector<DialogControl>& controls = dialog->controls;
    if (product) {
      EXPECT_EQ(fieldLabels(controls), c.fields);
      EXPECT_EQ(textsOf(controls, kButton, kAutoRadioButton), c.choices);
    }
    const std::vector<std::string> pushButtons = pushButtonTexts(controls);
    for (const std::string& button : c.buttons) {
      EXPECT_NE(std::find(pushButtons.begin(), pushButtons.end(), button), pushButtons.end())
          << button;
    }
    if (!c.page) return;
    EXPECT_EQ(dialog->cx, 315);
    EXPECT_EQ(dialog->cy, 204);
    EXPECT_TRUE(std::any_of(controls.begin(), controls.end(), [](const DialogControl& control) {
      return control.classAtom == kStatic && (control.style & kStaticKind) == kBitmapStyle;
    }));
  }

  // The texts of the static labels that an edit control follows.
  static std::vector<std::string> fieldLabels(const std::vector<DialogControl>& controls) {
    std::vector<std::string> labels;
    for (size_t i = 0; i + 1 < controls.size(); ++i) {
      if (controls[i].classAtom == kStatic && controls[i + 1].classAtom == kEdit) {
        labels.push_back(controls[i].text);
      }
    }
    return labels;
  }

  static std::vector<std::string> textsOf(const std::vector<DialogControl>& controls, uint16_t atom,
                                          uint32_t kind) {
    std::vector<std::string> texts;
    for (const DialogControl& control : controls) {
      if (control.classAtom == atom && (control.style & kButtonKind) == kind)
        texts.push_back(control.text);
    }
    return texts;
  }

  static std::vector<std::string> pushButtonTexts(const std::vector<DialogControl>& controls) {
    std::vector<std::string> texts = textsOf(controls, kButton, /*BS_PUSHBUTTON=*/0x00);
    const std::vector<std::string> defaults = textsOf(controls, kButton, /*BS_DEFPUSHBUTTON=*/0x01);
    texts.insert(texts.end(), defaults.begin(), defaults.end());
    return texts;
  }

  const nttest::ScopedHostVariable locale_{"LC_ALL", "en_US.UTF-8"};
  LoadedModule library_{"moxal_setup.dll"};
};

TEST_F(SetupResourcesTest, ProductDialogsHaveTheirTitlesFieldsAndChoices) {
  for (const DialogCase& c : kProductDialogs) expectDialog(c, /*product=*/true);
}

TEST_F(SetupResourcesTest, GeneralSetupDialogsHaveTheirTitles) {
  for (const DialogCase& c : kGeneralDialogs) expectDialog(c, /*product=*/false);
}

TEST_F(SetupResourcesTest, JavaImageDialogsOfferTheFoundProgramsAndAnExamplePath) {
  const std::optional<DialogTemplate> found = loadDialogTemplate(library_.get(), 107);
  ASSERT_TRUE(found);
  const auto hasClass = [&](uint16_t atom) {
    return std::any_of(found->controls.begin(), found->controls.end(),
                       [atom](const DialogControl& control) { return control.classAtom == atom; });
  };
  EXPECT_TRUE(hasClass(kListBox));
  EXPECT_TRUE(hasClass(kEdit));
  const std::optional<DialogTemplate> path = loadDialogTemplate(library_.get(), 14032);
  ASSERT_TRUE(path);
  EXPECT_TRUE(
      std::any_of(path->controls.begin(), path->controls.end(), [](const DialogControl& control) {
        return control.text.find("C:\\JDK\\JAVA\\BIN\\JAVA.EXE") != std::string::npos;
      }));
}

TEST_F(SetupResourcesTest, StringTableHoldsTheInstallerTexts) {
  const struct {
    UINT id;
    const char* text;
  } kTexts[] = {
      {31, "Error"},
      {80,
       "Setup has enough information to start copying files.  Review your settings below, and "
       "click Back to make any changes.  Click Next to complete the installation."},
      {100, "Setup"},
      {101, "TARQ"},
      {102, "MOXAL"},
      {103, "Version 1.0"},
      {104, "MOXAL"},
      {105, "MOXAL Setup"},
      {106, "MOXAL"},
      {107, "MOXAL Server classes and utilities"},
      {108, "MOXAL Agent classes and utilities"},
      {109, "MOXAL documentation"},
      {110, "Oracle"},
      {111, "Sybase"},
      {112, "EXE files|*.exe"},
      {113, "JDBC"},
      {114, "No Database Selected"},
      {115, "Remove MOXAL"},
      {116, "uninstall.dll"},
      {200, "This software will only install on Windows NT"},
      {201, "Unable to load %s"},
      {202, "Unable to unload %s"},
      {206, "Windows NT versions prior to 4.0 are not supported."},
      {207, "Unable to create a directory under %s.  Please check write access to this directory."},
      {208,
       "General file transfer error!  Please check your target location and try again. \n\n Error "
       "Number:%i"},
      {209, "VGA (640 X 480)  resolution or better is required."},
      {210, "There is not enough space on the target drive. Do you want to continue anyway?"},
      {211,
       "There is not enough disk space available on the disk that contains the temporary "
       "directory.   Do you want to continue anyway?"},
      {212,
       "There is not enough disk space available on the drive that has the windows system "
       "directory.  Do you want to continue anyway?"},
      {213,
       "There is not enough disk space available on the windows drive.  Do you want to continue "
       "anyway?"},
      {215,
       "Setup could not create the file requested.  Please check to make sure that you have "
       "rights. "},
      {221,
       "WARNING, To install this product you must have administrator privileges.  Please log out "
       "now and log in as administrator.  Setup will now exit."},
      {222, "Unable to set registry root"},
      {223, "Unable to update the Classpath variable"},
      {224, "To continue MOXAL setup, you must select a component to install."},
      {300, "Copying %s files..."},
      {301, "Copying readme files..."},
      {302, "Setup has enough information to start copying files."},
      {303, "Unexpected Installation Error"},
      {304, "Creating Program Folder and Icons...."},
      {305, "Copying shared files..."},
      {306, "Select the components that you wish to install."},
      {307, "You must install the Agent component if you are installing the Server component."},
      {308, "Unable to get the Computer Name from the registry"},
      {309, "Installation terminated by user"},
      {310, "The file '%s' has been created"},
      {311, "Installing MOXAL Services."},
      {312, "Creating Configuration File"},
      {313, "Please wait while the system is examined.  This may take several minutes."},
      {317,
       "Some files could not be installed because they are currently in use by other programs.  To "
       "allow for proper operation of the new program you should restart your system at this "
       "time."},
      {318, "MOXAL setup is complete.."},
      {319,
       "Please read the following license agreement.  Use the scroll bar to view the rest of this "
       "agreement."},
      {320, "Installation Options:"},
      {321, "Agent Options:"},
      {322, "Server Options:"},
      {400, "Would you like to view the release notes at this time?"},
      {405,
       "Do you except all of the terms of the preceding license agreement?\nIf so, click the Yes "
       "button.  If you select No, setup will exit."},
      {500, "File Not Found"},
      {501, "MOXAL Management Platform (MOXAL) 1.0 Setup"},
      {504, "Setup is complete."},
      {505, "Software License Agreement"},
      {506, "MOXAL Options Selection"},
      {600, "Agent Port: "},
      {601, "Class Server: "},
      {602, "Managed Object Server: "},
      {603, "Classpath: "},
      {604, "Database: "},
      {605, "Database Server: "},
      {606, "JAVA.EXE Location: "},
      {607, "Server Port: "},
      {608, "Event Port: "},
      {609, "Agent TCP/IP Ports: "},
      {610, "Server TCP/IP Ports: "},
      {611, "Agent Options: "},
      {612, "Server Options: "},
      {613, "Folder: "},
      {614, "MOXAL Destination: "},
      {615, "Database Name: "},
      {616, "MOXAL Service Uninstaller"},
      {617, "MOXAL Documentation"},
  };
  for (const auto& c : kTexts) {
    char buffer[512] = {};
    const int length = LoadStringA(library_.get(), c.id, buffer, sizeof buffer);
    EXPECT_EQ(buffer, std::string(c.text)) << c.id;
    EXPECT_EQ(length, static_cast<int>(std::string(c.text).size())) << c.id;
  }
}

}  // namespace
