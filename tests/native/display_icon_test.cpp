// The Uninstall entry is named after the product's identity and tells when it was installed and
// where an icon is: the product's own program's, or setup's carried along when no program of
// the product has one.
#include <gtest/gtest.h>

#include "package/IconResource.h"
#include "package/PeResources.h"
#include "package/ResourceTree.h"
#include "tests/support/InstallHarness.h"
#include "tests/support/OtherProduct.h"
#include "tests/support/PeBuilder.h"

using namespace testpkg;
using platform::RegistryRoot;

namespace {

const std::u16string kOrbisFolder = u"C:\\Program Files\\Orbis\\OrbisTouch";
const std::u16string kEntry =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orbis OrbisTouch";

// An icon of one 16x16 bitmap image, as a group and its image resource.
std::vector<pe::Resource> iconResources() {
    std::vector<std::uint8_t> image(1128, 0x11);
    for (int i = 0; i < 4; ++i) image[i] = std::uint8_t(i == 0 ? 40 : 0);
    image[4] = 16;
    image[8] = 32;
    pe::IconImage one;
    one.width = one.height = 16;
    one.planes = 1;
    one.bitCount = 32;
    one.size = std::uint32_t(image.size());
    one.data = image;
    std::vector<pe::Resource> resources;
    std::string why;
    EXPECT_TRUE(pe::setIcon(resources, pe::ResourceId::of(107), {one}, why)) << why;
    return resources;
}

// A program whose file carries that icon.
std::vector<std::uint8_t> programWithIcon() {
    test::PeSpec spec;
    spec.sections.push_back({".text", std::vector<std::uint8_t>(16, 0xC3), test::kCode});
    spec.sections.push_back({".rsrc", {}, test::kData});
    std::string why;
    EXPECT_TRUE(pe::buildResourceSection(iconResources(), test::sectionRva(spec, 1),
                                         spec.sections[1].data, why))
        << why;
    spec.directories.push_back({2, 1, 0, std::uint32_t(spec.sections[1].data.size())});
    return test::buildPe(spec);
}

std::vector<std::uint8_t> orbisWithIconOnItsPanel() {
    Script s;
    s.text(0, u"Orbis");
    s.text(13, u"OrbisTouch");
    s.path(1, u"OrbisHost.exe");
    s.path(2, u"Uninstall.exe");
    s.path(10, u"OrbisPanel.exe");
    s.licence(1, u"Licence.txt");
    Bytes files = fileBlock(u"OrbisTouch",
                            {{u"OrbisHost.exe", bytesOf("orbis host")},
                             {u"OrbisPanel.exe", programWithIcon()},
                             {u"Uninstall.exe", bytesOf("uninstaller")},
                             {u"Licence.txt", {0xFF, 0xFE, 'O', 0}}},
                            {});
    return withIdentity(package(s, files), orbisIdentity());
}

fake::FakeRegistry::Value entryValue(InstallHarness& h, const char16_t* name) {
    return h.machine.registry.value(RegistryRoot::LocalMachine, kEntry, name)
        .value_or(fake::FakeRegistry::Value{});
}

}  // namespace

TEST(UninstallEntry, IsNamedAfterTheIdentityAndTellsTheDayAndTheProductsIcon) {
    InstallHarness h(orbisWithIconOnItsPanel());
    h.machine.clock.date = {2027, 3, 4};
    ASSERT_TRUE(h.install());
    EXPECT_EQ(entryValue(h, u"DisplayName"), fake::FakeRegistry::stringValue(u"OrbisTouch"));
    EXPECT_EQ(entryValue(h, u"ProductIdentity"),
              fake::FakeRegistry::stringValue(u"Orbis OrbisTouch"));
    EXPECT_EQ(entryValue(h, u"InstallDate"), fake::FakeRegistry::stringValue(u"20270304"));
    EXPECT_EQ(entryValue(h, u"DisplayIcon"),
              fake::FakeRegistry::stringValue(kOrbisFolder + u"\\OrbisPanel.exe"));
    EXPECT_FALSE(h.machine.registry.hasKey(
        RegistryRoot::LocalMachine,
        u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OrbisTouch"));
}

TEST(UninstallEntry, WithoutAProgramThatHasAnIconSetupsOwnIsCarriedAlong) {
    InstallHarness h(orbisPackage());
    for (const pe::Resource& r : iconResources()) {
        std::u16string type = r.type.number == pe::kGroupIconType ? u"#14" : u"#3";
        h.machine.resources.add(r.name.number, type, r.data);
    }
    ASSERT_TRUE(h.install());
    const std::u16string icon = kOrbisFolder + u"\\OrbisTouch.ico";
    EXPECT_EQ(entryValue(h, u"DisplayIcon"), fake::FakeRegistry::stringValue(icon));
    std::vector<pe::IconImage> images;
    std::string why;
    ASSERT_TRUE(pe::readIconFile(h.machine.files.contents(icon), images, why)) << why;
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].width, 16);
    for (const pe::Resource& r : iconResources()) {
        if (r.type.number == pe::kIconType) {
            EXPECT_EQ(images[0].data, r.data);
        }
    }
    // It goes with the rest.
    ASSERT_TRUE(h.uninstall(kOrbisFolder + u"\\uninstall.log"));
    EXPECT_FALSE(h.machine.files.hasFile(icon));

    // Nothing to carry along: the uninstaller, as before.
    InstallHarness bare(orbisPackage());
    ASSERT_TRUE(bare.install());
    EXPECT_EQ(entryValue(bare, u"DisplayIcon"),
              fake::FakeRegistry::stringValue(kOrbisFolder + u"\\Uninstall.exe"));
}
