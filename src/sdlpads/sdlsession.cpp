#include "sdlpads/sdlsession.h"

#include <cstdio>
#include <filesystem>

#include <SDL.h>

namespace {

int users = 0;
bool enumerated = false;

const char* const MAPPINGS_FILE = "gamecontrollerdb.txt";

void addMappingFile() {
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(MAPPINGS_FILE, ignored))
        return;
    if (SDL_GameControllerAddMappingsFromFile(MAPPINGS_FILE) < 0)
        printf("Error: %s: %s\n", MAPPINGS_FILE, SDL_GetError());
}

} // namespace

bool acquireSdlPads(std::string& error) {
    if (users > 0) {
        ++users;
        return true;
    }
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_GAMECONTROLLER) != 0) {
        error = std::string("SDL game controllers: ") + SDL_GetError();
        return false;
    }
    addMappingFile();
    users = 1;
    return true;
}

void releaseSdlPads() {
    if (users == 0 || --users > 0)
        return;
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0)
        SDL_Quit(); // nobody else uses SDL: free its hints and event queue too
    enumerated = false;
}

bool sdlPadsEnumerated() {
    return enumerated;
}

void setSdlPadsEnumerated(bool value) {
    enumerated = value;
}
