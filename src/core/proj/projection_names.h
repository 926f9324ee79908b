// The projections a map can be given when it is calibrated: the text written
// to a calibration file's projection line (its first five characters are the
// key the reader matches) and which of the seven parameters the projection
// reads, so a dialog asks only for those.
#pragma once

#include <array>
#include <string_view>

#include "proj/projection.h"

namespace mw {

// Bits of ProjectionChoice::params, in the parameter line's order.
enum ProjectionParamBit : unsigned {
    kParamOriginLatitude = 1u << 0,
    kParamCentralMeridian = 1u << 1,
    kParamScaleFactor = 1u << 2,
    kParamFalseEasting = 1u << 3,
    kParamFalseNorthing = 1u << 4,
    kParamStandardParallel1 = 1u << 5,
    kParamStandardParallel2 = 1u << 6,
};

struct ProjectionChoice {
    int id;
    std::string_view name;  // as written to the file; starts with the key
    unsigned params;        // ProjectionParamBit set
};

inline constexpr std::array<ProjectionChoice, 21> kProjectionChoices = {{
    {kProjLatLon, "Latitude/Longitude", 0},
    {kProjUtm, "(UTM) Universal Transverse Mercator", 0},
    {kProjBritishGrid, "(BNG) British National Grid", 0},
    {kProjIrishGrid, "(IG) Irish Grid", 0},
    {kProjTransverseMercator, "Transverse Mercator",
     kParamOriginLatitude | kParamCentralMeridian | kParamScaleFactor | kParamFalseEasting |
         kParamFalseNorthing},
    {kProjMercator, "Mercator", 0},
    {kProjLambert, "Lambert Conformal Conic",
     kParamCentralMeridian | kParamStandardParallel1 | kParamStandardParallel2},
    {kProjAlbers, "Albers Equal Area",
     kParamOriginLatitude | kParamCentralMeridian | kParamStandardParallel1 |
         kParamStandardParallel2},
    {kProjPolyconic, "Polyconic", kParamCentralMeridian},
    {kProjBonne, "Bonne", kParamOriginLatitude | kParamCentralMeridian},
    {kProjVanDerGrinten, "Van der Grinten", kParamCentralMeridian},
    {kProjSwedishGrid, "(SG) Swedish Grid", 0},
    {kProjSwissGrid, "(SUI) Swiss Grid", 0},
    {kProjNewZealandGrid, "(NZG) New Zealand Grid", 0},
    {kProjFrenchI, "(I) France Zone I", 0},
    {kProjFrenchII, "(II) France Zone II", 0},
    {kProjFrenchIII, "(III) France Zone III", 0},
    {kProjFrenchIV, "(IV) France Zone IV", 0},
    {kProjItaly1, "(ITA1) Italy Grid Zone 1", 0},
    {kProjItaly2, "(ITA2) Italy Grid Zone 2", 0},
    {kProjVicmap, "(VICMAP-TM) Victoria", 0},
}};

// The choice for a projection text: by its key (first five characters), so
// a file's own wording finds its row; nullptr when none has that key.
inline const ProjectionChoice* FindProjectionChoice(std::string_view name) {
    const int id = ProjectionIdFromName(name);
    for (const ProjectionChoice& c : kProjectionChoices)
        if (c.id == id) return &c;
    return nullptr;
}

// The choice for a name typed on a command line: the whole name or its key,
// ignoring case ("utm", "bng", "latitude/longitude", "(UTM)").
const ProjectionChoice* FindProjectionChoiceLoosely(std::string_view name);

}  // namespace mw
