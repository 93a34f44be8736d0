#pragma once

#include "package/PackageModel.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cvn::project {

// A file that goes into the main archive under its member id.
struct TArchiveMember {
    int32_t id = 0;
    std::string file;             // path on the authoring machine
    std::optional<uint32_t> date; // MS-DOS date and time; none: the file's own
};

// What a project file describes: the package model and what goes into its archives.
struct TProject {
    TPackage package;
    std::vector<TArchiveMember> members;   // the main archive's
    std::optional<std::string> headerText; // none: the archive writer's own
    uint64_t volumeSize = 0;               // above 0: the main archive in volume files of this size
    // Index-matched with package.components; an empty list: that component has no archive.
    std::vector<std::vector<TArchiveMember>> componentMembers;
};

// Reads a project file (TOML, UTF-8). Every mistake found is added to `errors` as
// "file:line: message"; false when there was any.
bool ReadProject(const std::string& path, TProject& out, std::vector<std::string>& errors);

// The project text of a package: only what differs from the defaults a project
// gets, scripts as text. The members name the files the archives' members were
// saved as, relative to the project's folder.
std::string WriteProject(const TProject& project);

} // namespace cvn::project
