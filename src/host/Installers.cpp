#include "host/Installers.h"

#include <utility>

#ifdef QUILLON_HAS_AUDIO
#include "audio/Audio.h"
#endif
#ifdef QUILLON_HAS_BITMAP
#include "bitmap/Bitmap.h"
#endif
#include "engine/Engine.h"
#ifdef QUILLON_HAS_SCENE
#include "scene/GeometryClass.h"
#include "scene/PlaneClass.h"
#include "scene/SceneFrame.h"
#include "scene/SpriteClass.h"
#include "scene/TilemapClass.h"
#include "scene/ViewportClass.h"
#include "scene/WindowClass.h"
#endif
#ifdef QUILLON_HAS_SKELETON
#include "skeleton/SpineClass.h"
#endif
#ifdef QUILLON_HAS_VIDEO
#include "video/Video.h"
#endif
#ifdef QUILLON_HAS_LIVE2D
#include <cstdlib>
#include <string_view>

#include "live2d/Live2D.h"
#endif
#ifdef QUILLON_HAS_INPUT
#include "host/InputSink.h"
#include "input/Input.h"
#endif
#include "host/LaunchConfig.h"
#include "host/MessagePump.h"
#ifdef QUILLON_HAS_RENDER
#include "bindings/ScriptError.h"
#include "host/RendererBridge.h"
#include "render/Graphics.h"
#endif
#include "host/RendererControl.h"
#include "host/WindowProcedure.h"
#include "host/private/BindingsLink.h"
#include "host/private/Session.h"
#include "platform/text/FontSystem.h"
#include "platform/window/GameWindow.h"
#include "platform/window/MessagePumpLink.h"

namespace host {

namespace {

void defineColorHook() {
  engine::g_scriptApi->object_class = engine::globals().object_class;
  defineColorClass();
}

void defineToneHook() {
  defineToneClass();
}

void installWindowProcHook(void*) {
  if (session().procedure != nullptr) {
    session().procedure->install();
  }
  if (session().window != nullptr) {
    session().window->bringToForeground();
  }
}

bool foregroundHook() {
  if (session().window != nullptr) {
    session().window->bringToForeground();
  }
  return true;
}

void loadAcceleratorsHook() {
  if (g_launchConfig != nullptr) {
    g_launchConfig->accelerators = kAcceleratorTable;
  }
}

// The engine's routine at this site is replaced by one that does nothing.
void idleHook() {}

// No registry here: the engine only opens its key, and the handle was always discarded.
long registryOpenHook(const char*) {
  return 0;
}

// The Font initialiser: no Font class of ours yet, but the engine classes the bindings raise and build on
// are stored, and the error classes defined, at this moment.
void defineFontHook() {
  engine::ScriptApi& api = *engine::g_scriptApi;
  const engine::EngineGlobals& globals = engine::globals();
  api.type_error = globals.type_error;
  api.script_error = globals.script_error;
  api.rect_class = globals.rect_class;
  api.table_class = globals.table_class;
  api.font_registry = globals.font_registry;
#ifdef QUILLON_HAS_BITMAP
  bitmap::defineFontClass();
#endif
  defineErrorClasses();
}

#ifdef QUILLON_HAS_BITMAP
// Bitmap, and screen snapshots handed to scripts as Bitmaps.
void defineBitmapHook() {
  bitmap::defineBitmapClass();
#ifdef QUILLON_HAS_RENDER
  render::setSnapshotWrapper(bitmap::wrapTexture);
#endif
}
#endif

#ifdef QUILLON_HAS_SCENE
// Viewports come first among the scene classes: the renderer starts drawing the scene from here on.
void defineViewportHook() {
  scene::installSceneFrame();
#ifdef QUILLON_HAS_LIVE2D
  live2d::installFramePass();
#endif
  scene::defineViewportClass();
}

// Sprite, then the methods other subsystems add to it.
void defineSpriteHook() {
  scene::defineSpriteClass();
#ifdef QUILLON_HAS_VIDEO
  video::defineSpriteVideoMethods();
#endif
}
#endif

// The pump for the frame loop's waits: the same step, the decision about a released renderer left to it.
bool framePump(windowing::PumpWait wait) {
  Session& state = session();
  if (state.window == nullptr || state.procedure == nullptr) {
    return false;
  }
  std::span<const Accelerator> accelerators;
  if (g_launchConfig != nullptr) {
    accelerators = g_launchConfig->accelerators;
  }
  int waitMs = wait == windowing::PumpWait::UntilMessage ? windowing::kPumpWaitMs : 0;
  return pumpStep(*state.window, *state.procedure, accelerators, waitMs);
}

#ifdef QUILLON_HAS_RENDER
// Graphics pumps only inside a script's call of one of its methods, whose binding turns a ScriptError into the
// script's exception once the C++ frames are gone: so the frame that sees F12 raises RGSSReset, and rgss_main starts
// the game over. The engine's own pumps (message boxes, rgss_stop) run outside any binding and never raise.
bool graphicsPump(windowing::PumpWait wait) {
  bool released = framePump(wait);
  if (!released && std::exchange(session().resetRequested, false)) {
    throw bindings::errorOf(engine::globals().reset_class, "RGSSReset");
  }
  return released;
}
#endif

#ifdef QUILLON_HAS_INPUT
// Hands the window procedure's keyboard, mouse and activation messages to the input modules.
class InputForwarder final : public InputSink {
 public:
  void message(const windowing::Message& message) override { input::feedMessage(message); }
  void keyDown(int virtualKey) override { input::feedKeyDown(virtualKey); }
  void keyUp(int virtualKey) override { input::feedKeyUp(virtualKey); }
  void setActive(bool active) override { input::feedActivation(active); }
};

InputForwarder g_inputForwarder;
#endif

}  // namespace

void defineInputModules() {
#ifdef QUILLON_HAS_INPUT
  input::defineInput();
  input::setWindowSource([] { return session().window; });
  setInputSink(&g_inputForwarder);
#endif
}

void defineGeometry() {
#ifdef QUILLON_HAS_SCENE
  scene::defineGeometryClass();
#endif
}

void defineLive2D() {
#ifdef QUILLON_HAS_LIVE2D
  const char* debugSwitch = std::getenv("QUILLON_DEBUG_LOG");
  const bool debug = debugSwitch != nullptr && *debugSwitch != '\0' && std::string_view(debugSwitch) != "0";
  live2d::setDebugLogEnabled(debug || (g_launchConfig != nullptr && g_launchConfig->consoleRequested()));
  live2d::defineLive2D();
#endif
}

void defineSpine() {
#ifdef QUILLON_HAS_SKELETON
  skeleton::defineSpineClass();
#endif
}

void patchedPumpStep() {
  if (currentRenderer() == nullptr) {
    return;
  }
  if (framePump(windowing::PumpWait::None) && engine::g_scriptApi != nullptr) {
    engine::g_scriptApi->process_exit(0);
  }
}

void installTableAccessors() {
  engine::hooks().tableGet = tableElementReader();
  engine::hooks().tableSet = tableElementWriter();
}

void installFirstHooks() {
  engine::EngineHooks& hooks = engine::hooks();
  hooks.fontFamilies = text::fontFileFamilies;
#ifdef QUILLON_HAS_AUDIO
  hooks.defineAudio = audio::defineAudioModule;
#endif
  hooks.defineColor = defineColorHook;
  hooks.defineTone = defineToneHook;
  hooks.installWindowProc = installWindowProcHook;
  hooks.foreground = foregroundHook;
  // The system menu gets no item: there is no system menu here, and F1 opens the About box instead.
  hooks.extendSystemMenu = nullptr;
  hooks.loadAccelerators = loadAcceleratorsHook;
  hooks.idle = idleHook;
  hooks.pumpStep = patchedPumpStep;
#ifdef QUILLON_HAS_RENDER
  windowing::installPump(graphicsPump);
#else
  windowing::installPump(framePump);
#endif
  hooks.registryOpen = registryOpenHook;
  installSystemServices();
}

void installClassHooks() {
  engine::hooks().defineFont = defineFontHook;
#ifdef QUILLON_HAS_BITMAP
  engine::hooks().defineBitmap = defineBitmapHook;
#endif
#ifdef QUILLON_HAS_SCENE
  engine::hooks().defineViewport = defineViewportHook;
  engine::hooks().defineSprite = defineSpriteHook;
  engine::hooks().definePlane = scene::definePlaneClass;
  engine::hooks().defineTilemap = scene::defineTilemapClass;
  engine::hooks().defineWindow = scene::defineWindowClass;
#endif
  engine::hooks().defineInput = defineInputModules;
#ifdef QUILLON_HAS_RENDER
  engine::hooks().defineGraphics = defineGraphicsHook;
#endif
}

}  // namespace host
