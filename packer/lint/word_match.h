// Near misses: which known word an author probably meant.
#pragma once

#include <string>
#include <vector>

namespace vornak_pack {

// Edit distance (insertions, deletions, substitutions) between a and b,
// letters compared without regard to case.
size_t WordDistance(const std::string& a, const std::string& b);

// The candidate nearest to word when it is within max_distance, else the
// empty text. Equality but for letter case counts as the nearest of all.
std::string NearestWord(const std::string& word, const std::vector<std::string>& candidates,
                        size_t max_distance);

// text without spaces and tabs around it.
std::string Trimmed(const std::string& text);

}  // namespace vornak_pack
