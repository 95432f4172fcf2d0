// Gamepack_Json: the JSON forms of a game, walked with the same layout as the
// game file. The dump form describes every field; the project form leaves out
// what equals a fresh record's value, puts data, pictures and multi-line code
// into files of their own and names the targets of references. Both write
// the words of Gamepack_Names for numbers that have one; reading takes the
// word or the number.
#pragma once

#include <functional>
#include <map>
#include <span>
#include <string>

#include <nlohmann/json.hpp>

#include "data/DataNew_Class.h"
#include "gamepack/Gamepack.h"

// Receives a project file: a relative path ("sprites/spr_ball/images0/pixels.png")
// and its content.
using RFileSink = std::function<void(const std::string& path, std::span<const uint8_t> content)>;
// Returns the content of a project file named by a relative path; throws
// CGamepackError when it cannot.
using RFileSource = std::function<RBytes(const std::string& path)>;

// The dump form of the game's header fields (`header`) and of the sections
// before `sectionEnd`.
nlohmann::ordered_json Json_Dump(const RGameData& game, bool header, int32_t sectionEnd);
// The project form; every file it refers to goes to `sink`.
nlohmann::ordered_json Json_Project(const RGameData& game, const RFileSink& sink);
// Fills `game` from the project form. Throws CGamepackError naming the field
// ("rooms[0].instances[2].x: expected an integer"). `codeFiles`, when given,
// receives the file each piece of code came from, by field path.
void Json_ReadProject(const nlohmann::ordered_json& project, RGameData& game, const RFileSource& source,
                      std::map<std::string, std::string>* codeFiles = nullptr);
