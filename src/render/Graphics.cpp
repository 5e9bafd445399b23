#include "render/Graphics.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bindings/Binding.h"
#include "bitmap/core/ImageCodec.h"
#include "platform/gfx/Texture.h"
#include "platform/window/MessageBox.h"
#include "platform/window/MessagePumpLink.h"
#include "platform/window/Screen.h"
#include "platform/window/WindowMode.h"
#include "render/FrameMath.h"
#include "render/Renderer.h"

namespace render {

namespace {

using bindings::api;
using engine::Value;

SnapshotWrapper g_snapshotWrapper = nullptr;

// The renderer every Graphics function works on. Boot makes one before any script runs; without one (a
// replacement engine calling in too early) the functions report it instead of crashing.
Renderer& renderer() {
  Renderer* current = currentRenderer();
  if (current == nullptr) {
    throw bindings::scriptError("Graphics used before the renderer exists");
  }
  return *current;
}

bool rendererReleased() {
  Renderer* current = currentRenderer();
  return current == nullptr || current->released();
}

// Errors of the focus scripts are swallowed: a broken callback must not stop the game.
void runFocusScript(const char* text) {
  int state = 0;
  api().eval_string_protect(text, &state);
}

// Window messages waiting since the last frame: each step takes one, and a frame should not let input queue up.
constexpr int kMessagesPerFrame = 16;

void update() {
  for (int i = 0; i < kMessagesPerFrame && !rendererReleased(); ++i) {
    windowing::pumpMessages(windowing::PumpWait::None);
  }
  if (rendererReleased()) {
    // The window was closed and torn down: the game's loop would call update forever, so the frame loop ends
    // the process here, as the message pump does.
    if (currentRenderer() != nullptr) {
      api().process_exit(0);
    }
    return;
  }
  Renderer* current = currentRenderer();
  if (current->toggleRequested()) {
    current->toggleFullScreen();
    return;
  }
  while (current->inactive()) {
    if (!current->focusEventDone()) {
      current->setFocusEventDone(true);
      runFocusScript("VORN.focus_out if VORN.respond_to?(:focus_out)");
    }
    if (current->backgroundExec()) {
      break;
    }
    windowing::pumpMessages(windowing::PumpWait::UntilMessage);
    current = currentRenderer();
    if (current == nullptr || current->released()) {
      return;
    }
  }
  if (!current->focusEventDone()) {
    current->setFocusEventDone(true);
    runFocusScript("VORN.focus_in if VORN.respond_to?(:focus_in)");
    current = currentRenderer();
    if (current == nullptr || current->released()) {
      return;
    }
  }
  current->countFrame();
  current->timer().pace();
  if (current->render(true) == FrameResult::ContextLost) {
    throw bindings::d3dError("Internal Driver Error. The program will now exit.");
  }
}

void waitFrames(int frames) {
  for (int i = 0; i < frames; ++i) {
    windowing::pumpMessages(windowing::PumpWait::None);
    if (rendererReleased()) {
      return;
    }
    update();
  }
}

void graphicsReset(Value) {
  // A torn-down renderer's window is going away: the pump ends the game instead.
  if (rendererReleased()) {
    return;
  }
  windowing::GameWindow* window = renderer().window();
  destroyCurrentRenderer();
  publishRenderer(createRendererOrExit(window));
}

void graphicsUpdate(Value) {
  update();
}

void graphicsWait(Value, int frames) {
  waitFrames(frames);
}

void graphicsFadeout(Value, int frames) {
  renderer().startFade(frames, false);
  waitFrames(frames);
}

void graphicsFadein(Value, int frames) {
  renderer().startFade(frames, true);
  waitFrames(frames);
}

void graphicsFreeze(Value) {
  if (!rendererReleased()) {
    renderer().freeze();
  }
}

enum class TransitionStart { Started, Released, MissingFile };

// Everything of a transition that owns C++ objects, so that the caller can raise after it has returned.
TransitionStart startTransition(int duration, const char* name, int vagueness) {
  if (rendererReleased()) {
    return TransitionStart::Released;
  }
  std::unique_ptr<gfx::Texture> image;
  if (name[0] != '\0') {
    image = loadTransitionImage(name);
    if (!image) {
      return TransitionStart::MissingFile;
    }
  }
  // A negative duration ends a freeze at once, as 0 does, instead of leaving the screen frozen.
  renderer().startTransition(duration > 0 ? duration : 0, std::move(image), vagueness);
  return TransitionStart::Started;
}

// Variadic and raw: a missing file raises the system error, which must not skip any destructor.
Value graphicsTransition(int argc, const Value* argv, Value) {
  bindings::detail::forgetStalePoison();
  if (argc > 3) {
    api().check_arity(3, argc);
  }
  const int duration = argc > 0 ? api().num2int(argv[0]) : 10;
  static char name[4096];
  name[0] = '\0';
  if (argc > 1) {
    Value text = argv[1];
    const char* bytes = api().string_value_ptr(&text);
    std::snprintf(name, sizeof(name), "%s", bytes);
  }
  const int vagueness = argc > 2 ? api().num2int(argv[2]) : 40;
  TransitionStart started = TransitionStart::Released;
  auto run = [&] { started = startTransition(duration, name, vagueness); };
  if (!bindings::detail::guarded(run)) {
    bindings::detail::raisePending();
  }
  if (started == TransitionStart::MissingFile) {
    *api().errno_location() = ENOENT;
    bindings::detail::prepareToRaise();
    api().sys_fail(name);
  }
  if (started == TransitionStart::Started) {
    auto wait = [&] { waitFrames(duration); };
    if (!bindings::detail::guarded(wait)) {
      bindings::detail::raisePending();
    }
  }
  return api().nil;
}

Value graphicsSnapToBitmap(Value) {
  if (g_snapshotWrapper == nullptr) {
    throw bindings::scriptError("Graphics.snap_to_bitmap needs the Bitmap class");
  }
  gfx::Texture* snapshot = renderer().snapshot().release();
  if (snapshot == nullptr) {
    throw bindings::d3dError("cannot read the screen back");
  }
  return g_snapshotWrapper(snapshot);
}

void graphicsFrameReset(Value) {}

void checkSize(const char* what, int width, int height) {
  if (width <= 0 || height <= 0) {
    throw bindings::argumentError("%s size %d x %d is not positive", what, width, height);
  }
  if (width > Renderer::kMaxScreenSide || height > Renderer::kMaxScreenSide) {
    throw bindings::argumentError("%s size %d x %d is larger than %d x %d", what, width, height,
                                  Renderer::kMaxScreenSide, Renderer::kMaxScreenSide);
  }
}

void graphicsResizeScreen(Value, int width, int height) {
  checkSize("screen", width, height);
  renderer().resizeScreen(width, height);
}

void graphicsResizeWindow(Value, int width, int height) {
  checkSize("window", width, height);
  renderer().resizeWindow(width, height);
}

// Entered without the binding trampoline: the movie script runs the game's frames and may raise anything, which
// must reach the caller without unwinding through C++ frames.
Value graphicsPlayMovie(Value, Value fileName) {
  bindings::detail::forgetStalePoison();
  static char script[4096];
  auto format = [&] {
    const std::string name(bindings::stringView(fileName));
    if (name.find('\0') != std::string::npos) throw bindings::argumentError("movie file name contains a null byte");
    if (!movieScript(name.c_str(), script, sizeof(script))) {
      throw bindings::argumentError("movie file name too long (%zu bytes)", name.size());
    }
  };
  if (!bindings::detail::guarded(format)) bindings::detail::raisePending();
  int state = 0;
  api().eval_string_protect(script, &state);
  if (state != 0) {
    bindings::detail::prepareToRaise();
    api().jump_tag(state);
  }
  return api().nil;
}

int graphicsWidth(Value) {
  return renderer().screenWidth();
}

int graphicsHeight(Value) {
  return renderer().screenHeight();
}

int graphicsFrameRate(Value) {
  return renderer().timer().frameRate();
}

void graphicsSetFrameRate(Value, int rate) {
  if (rate <= 0) {
    throw bindings::argumentError("frame rate must be positive, not %d", rate);
  }
  renderer().timer().setFrameRate(rate);
}

int graphicsFrameCount(Value) {
  return renderer().frameCount();
}

void graphicsSetFrameCount(Value, int count) {
  renderer().setFrameCount(count);
}

int graphicsBrightness(Value) {
  return renderer().brightness();
}

void graphicsSetBrightness(Value, int brightness) {
  renderer().setBrightness(brightness);
}

bool graphicsVisible(Value) {
  return true;
}

Value graphicsSetVisible(Value, Value) {
  return api().true_value;
}

Value graphicsWindowHwnd(Value) {
  const unsigned long id = renderer().window() != nullptr ? windowing::windowId(*renderer().window()) : 0;
  if (id <= 0x3FFFFFFFul) {
    return api().int2num(static_cast<long>(id));
  }
  static char text[32];
  std::snprintf(text, sizeof(text), "%lu", id);
  int state = 0;
  return api().eval_string_protect(text, &state);
}

Value graphicsAddShader(Value, Value functions, Value passes) {
  // Static: the compiler's text is printed and the error raised after every C++ frame is gone.
  static std::string errors;
  errors.clear();
  bool compiled = false;
  auto run = [&] {
    const std::string_view functionText = bindings::stringView(functions);
    const std::string_view passText = bindings::stringView(passes);
    if (rendererReleased()) {
      compiled = true;
      return;
    }
    compiled = renderer().effect().compile(functionText, passText, &errors);
  };
  if (!bindings::detail::guarded(run)) {
    bindings::detail::raisePending();
  }
  if (!compiled) {
    std::fwrite(errors.data(), 1, errors.size(), stdout);
    std::fflush(stdout);
    bindings::detail::prepareToRaise();
    api().raise(api().script_error, "Invaild Shader");
  }
  return api().nil;
}

bool graphicsFullScreen(Value) {
  return renderer().fullScreen();
}

Value graphicsSetFullScreen(Value, Value on) {
  Renderer& current = renderer();
  if (bindings::truth(on) != current.fullScreen()) {
    current.requestFullScreenToggle();
  }
  return on;
}

void graphicsToggleFullScreen(Value) {
  renderer().requestFullScreenToggle();
}

bool graphicsVsync(Value) {
  return renderer().vsync();
}

void graphicsSetVsync(Value, bool on) {
  renderer().setVsync(on);
}

int graphicsFilter(Value) {
  return renderer().filter();
}

void graphicsSetFilter(Value, int filter) {
  renderer().setFilter(clampFilter(filter));
}

bool graphicsBackgroundExec(Value) {
  return renderer().backgroundExec();
}

void graphicsSetBackgroundExec(Value, bool on) {
  renderer().setBackgroundExec(on);
}

// Module-function setters return their argument.
template <auto Body>
void defineSetter(Value module, const char* name) {
  api().define_module_function(module, name,
                               reinterpret_cast<engine::AnyMethod>(&bindings::detail::Entry<Body>::setter), 1);
}

}  // namespace

void setSnapshotWrapper(SnapshotWrapper wrapper) {
  g_snapshotWrapper = wrapper;
}

std::unique_ptr<gfx::Texture> loadTransitionImage(const char* name) {
  std::vector<std::uint8_t> bytes;
  engine::ScriptApi* scriptApi = engine::g_scriptApi;
  if (scriptApi != nullptr && scriptApi->file_open != nullptr) {
    if (const engine::GameFile* file = scriptApi->file_open(name, engine::FileKind::Image)) {
      bytes.assign(file->bytes, file->bytes + file->size);
      scriptApi->file_release(file);
    }
  }
  if (bytes.empty()) {
    std::ifstream in(name, std::ios::binary);
    if (!in) {
      return nullptr;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string error;
  std::optional<bitmap::PixelBuffer> pixels = bitmap::decodeImage(bytes, &error);
  if (!pixels) {
    std::fprintf(stderr, "[render] transition image %s: %s\n", name, error.c_str());
    return nullptr;
  }
  std::unique_ptr<gfx::Texture> texture = gfx::Texture::createManaged(pixels->width(), pixels->height());
  if (!texture) {
    return nullptr;
  }
  const bitmap::ConstPixelView view = pixels->view();
  if (!texture->update({0, 0, view.width, view.height}, view.data, view.stride * 4)) {
    return nullptr;
  }
  return texture;
}

bool movieScript(const char* fileName, char* buffer, std::size_t capacity) {
  // The name goes in as a Ruby literal: quotes and backslashes in it survive, "#{" starts no code, and other
  // bytes are written as escapes so no encoding can make the text invalid.
  std::string literal;
  for (const char* at = fileName; *at != '\0'; ++at) {
    const auto byte = static_cast<unsigned char>(*at);
    if (*at == '"' || *at == '\\' || *at == '#') {
      literal += '\\';
      literal += *at;
    } else if (byte < 0x20 || byte >= 0x7F) {
      char escape[5];
      std::snprintf(escape, sizeof(escape), "\\x%02X", byte);
      literal += escape;
    } else {
      literal += *at;
    }
  }
  const int written = std::snprintf(
      buffer, capacity,
      "$__RGSS_movie_sprite = Sprite.new;$__RGSS_movie_sprite.z = 9999;$__RGSS_movie_sprite.start_video(\"%s\");"
      "$__RGSS_movie_sprite.zoom_x = Graphics.width / $__RGSS_movie_sprite.video_width.to_f;"
      "$__RGSS_movie_sprite.zoom_y = Graphics.height / $__RGSS_movie_sprite.video_height.to_f;"
      "while $__RGSS_movie_sprite.video_playing?;$__RGSS_movie_sprite.update;Graphics.wait(1);end;"
      "$__RGSS_movie_sprite.bitmap.dispose;$__RGSS_movie_sprite.dispose;Audio.bgm_stop;",
      literal.c_str());
  return written >= 0 && static_cast<std::size_t>(written) < capacity;
}

std::unique_ptr<Renderer> createRendererOrExit(windowing::GameWindow* window) {
  try {
    return std::make_unique<Renderer>(window);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "[render] device: %s\n", error.what());
  }
  windowing::showErrorBox("Error", "Failed to create Direct3D device.", nullptr);
  std::exit(1);
}

void defineGraphicsModule() {
  bindings::ModuleDef graphics("Graphics");
  graphics.function<&graphicsReset>("__reset__")
      .function<&graphicsUpdate>("update")
      .function<&graphicsWait>("wait")
      .function<&graphicsFadeout>("fadeout")
      .function<&graphicsFadein>("fadein")
      .function<&graphicsFreeze>("freeze")
      .function<&graphicsSnapToBitmap>("snap_to_bitmap")
      .function<&graphicsFrameReset>("frame_reset")
      .function<&graphicsResizeScreen>("resize_screen")
      .function<&graphicsResizeWindow>("resize_window")
      .function<&graphicsWidth>("width")
      .function<&graphicsHeight>("height")
      .function<&graphicsFrameRate>("frame_rate")
      .function<&graphicsFrameCount>("frame_count")
      .function<&graphicsBrightness>("brightness")
      .function<&graphicsVisible>("visible")
      .function<&graphicsSetVisible>("visible=")
      .function<&graphicsWindowHwnd>("window_hwnd")
      .function<&graphicsAddShader>("add_shader")
      .function<&graphicsFullScreen>("is_fullscreen?")
      .function<&graphicsFullScreen>("fullscreen")
      .function<&graphicsSetFullScreen>("fullscreen=")
      .function<&graphicsToggleFullScreen>("toggle_fullscreen")
      .function<&graphicsVsync>("vsync")
      .function<&graphicsFilter>("filter")
      .function<&graphicsBackgroundExec>("background_exec");
  const Value module = graphics.module();
  api().define_module_function(module, "transition", reinterpret_cast<engine::AnyMethod>(&graphicsTransition), -1);
  api().define_module_function(module, "play_movie", reinterpret_cast<engine::AnyMethod>(&graphicsPlayMovie), 1);
  defineSetter<&graphicsSetFrameRate>(module, "frame_rate=");
  defineSetter<&graphicsSetFrameCount>(module, "frame_count=");
  defineSetter<&graphicsSetBrightness>(module, "brightness=");
  defineSetter<&graphicsSetVsync>(module, "vsync=");
  defineSetter<&graphicsSetBackgroundExec>(module, "background_exec=");
  // filter= returns nil rather than its argument.
  graphics.function<&graphicsSetFilter>("filter=");
}

}  // namespace render
