// Snap never elevates itself: it runs at the level it was started with, so
// its manifest asks for nothing more.
#include "support/SnapInstall.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Elevation, SnapsManifestAsksToRunAsItWasStarted) {
    HMODULE snap = LoadLibraryExA(BuiltSnapExe().c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(nullptr, snap);
    const HRSRC resource = FindResourceA(snap, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(nullptr, resource);
    const HGLOBAL loaded = LoadResource(snap, resource);
    const std::string manifest(static_cast<const char*>(LockResource(loaded)),
                               SizeofResource(snap, resource));
    FreeLibrary(snap);
    EXPECT_NE(std::string::npos, manifest.find("level=\"asInvoker\"")) << manifest;
    EXPECT_EQ(std::string::npos, manifest.find("requireAdministrator"));
    EXPECT_EQ(std::string::npos, manifest.find("highestAvailable"));
    EXPECT_NE(std::string::npos, manifest.find("uiAccess=\"false\""));
}

} // namespace
