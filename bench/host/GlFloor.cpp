// The boot benchmark's floor for a program that shows graphics: a GL 3.3 core window like the player's, one
// cleared frame presented, the time of that on standard output (the monotonic clock, as the player's test game
// prints it). What every start pays before anything of its own: the display, the driver and one frame.

#include <SDL.h>
#include <epoxy/gl.h>

#include <chrono>
#include <cstdio>

int main() {
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return 1;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_Window* window =
      SDL_CreateWindow("floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 640, 480, SDL_WINDOW_OPENGL);
  if (window == nullptr) return 1;
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (context == nullptr) return 1;
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  SDL_GL_SwapWindow(window);
  glFinish();
  using namespace std::chrono;
  std::printf("%.6f", duration<double, std::milli>(steady_clock::now().time_since_epoch()).count());
  std::fflush(stdout);
  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
