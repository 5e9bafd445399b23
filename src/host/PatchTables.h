#pragma once

// Where the closed engine library (RGSS301.dll) is patched, as offsets from its load address. Kept as data
// for the Windows build that loads that library; the built-in engine calls hook slots at the same moments.

#include <array>
#include <cstdint>

namespace host {

enum class PatchKind { Call, Jump };

struct PatchSite {
  std::uint32_t offset = 0;
  PatchKind kind = PatchKind::Call;
  int length = 5;
  const char* replacement = "";
};

struct DirectWrite {
  std::uint32_t offset = 0;
  int widthBytes = 1;
  const char* value = "";
};

// The library is accepted only with these 12 bytes at this offset; every other offset assumes that build.
inline constexpr std::uint32_t kSignatureOffset = 0x2FE80;
inline constexpr std::array<std::uint8_t, 12> kSignatureBytes = {0x55, 0x8B, 0xEC, 0x81, 0xEC, 0x84,
                                                                 0x00, 0x00, 0x00, 0x8B, 0x4D, 0x18};

// Plain stores made right after loading, in this order.
inline constexpr std::array<DirectWrite, 4> kDirectWrites = {{
    {0x1937, 1, "0xEB: conditional short jump made unconditional"},
    {0x1F455, 1, "0xEB: conditional short jump made unconditional"},
    {0x14125, 4, "address of the player's table element reader"},
    {0x14140, 4, "address of the player's table element writer"},
}};

// The first installer, right after the script interface is built, in this order.
inline constexpr std::array<PatchSite, 11> kFirstInstallerSites = {{
    {0xCD8A, PatchKind::Call, 5, "define Audio"},
    {0xCD94, PatchKind::Call, 5, "store the root class, define Color"},
    {0xCD99, PatchKind::Call, 5, "define Tone"},
    {0x166A, PatchKind::Call, 23, "install the window procedure, bring the window to the foreground"},
    {0x10DC30, PatchKind::Jump, 5, "bring the window to the foreground, return true"},
    {0x1B09, PatchKind::Call, 129, "extend the system menu"},
    {0x170B, PatchKind::Call, 6, "load accelerator table 109"},
    {0x1EB0, PatchKind::Jump, 5, "return at once"},
    {0x3073A, PatchKind::Call, 5, "message pump step"},
    {0x2F984, PatchKind::Call, 5, "message pump step"},
    {0x1BB5, PatchKind::Call, 5, "registry open"},
}};

// The second installer: the nine consecutive calls of the engine's class-initialisation routine.
inline constexpr std::array<PatchSite, 9> kClassInitialiserSites = {{
    {0xCFF6, PatchKind::Call, 5, "define Graphics"},
    {0xCFFB, PatchKind::Call, 5, "define Bitmap"},
    {0xD000, PatchKind::Call, 5, "define Viewport"},
    {0xD005, PatchKind::Call, 5, "define Sprite"},
    {0xD00A, PatchKind::Call, 5, "define Tilemap"},
    {0xD00F, PatchKind::Call, 5, "define Plane"},
    {0xD014, PatchKind::Call, 5, "define Window"},
    {0xD019, PatchKind::Call, 5, "define Font, store the engine's error, Rect and Table classes, define D3DError and ColorArray"},
    {0xD01E, PatchKind::Call, 5, "define Input, Input::Controller and Mouse; create the input state"},
}};

// Globals of that library copied into the script interface.
inline constexpr std::uint32_t kRootClassGlobal = 0x2AC098;
inline constexpr std::uint32_t kTypeErrorGlobal = 0x2AC120;
inline constexpr std::uint32_t kScriptErrorGlobal = 0x263018;
inline constexpr std::uint32_t kRectClassGlobal = 0x26A088;
inline constexpr std::uint32_t kTableClassGlobal = 0x26A0AC;

}  // namespace host
