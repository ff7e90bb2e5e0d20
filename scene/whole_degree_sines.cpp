#include "scene/whole_degree_sines.h"

#include <cstdlib>

#include "scene/platform_seam.h"

namespace {

struct SineCosine {
    double sine;
    double cosine;
};

constexpr SineCosine table[] = {
#include "scene/whole_degree_table.inc"
};
static_assert(sizeof table / sizeof table[0] == lastTableDegree - firstTableDegree + 1);

const SineCosine& Entry(std::int32_t degrees) {
    if (degrees < firstTableDegree || degrees > lastTableDegree) {
        ShowUserMessage("The globe was turned by an angle outside its sine table");
        std::abort();
    }
    return table[degrees - firstTableDegree];
}

}  // namespace

double WholeDegreeSine(std::int32_t degrees) { return Entry(degrees).sine; }

double WholeDegreeCosine(std::int32_t degrees) { return Entry(degrees).cosine; }
