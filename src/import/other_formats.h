// The other recipe programs' exports: the line formats of ten programs and
// of this program's own text export, the binary Edna's Cookbook file, and
// any text file as one information text.
#pragma once

#include <cstdint>
#include <string>

namespace pantrela {

class RecipeBuilder;

// Readers with the FormatReader contract, by format code.
void ImportAccuChef(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                    int64_t& recordId, bool& cancel);  // 3
void ImportBigOven(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                   int64_t& recordId, bool& cancel);  // 4
void ImportCompuChef(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                     int64_t& recordId, bool& cancel);  // 5
void ImportComputerCuisine(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                           int64_t& recordId, bool& cancel);  // 6
void ImportCookbookWizard(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                          int64_t& recordId, bool& cancel);  // 8
void ImportCookwareDeluxe(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                          int64_t& recordId, bool& cancel);  // 10
void ImportEdnasCookbook(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                         int64_t& recordId, bool& cancel);  // 11
void ImportFromScratch(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                       int64_t& recordId, bool& cancel);  // 12
void ImportOwnText(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                   int64_t& recordId, bool& cancel);  // 14
void ImportNowYoureCooking(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                           int64_t& recordId, bool& cancel);  // 20
void ImportRecipeProcessor(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                           int64_t& recordId, bool& cancel);  // 21
void ImportInformationText(RecipeBuilder& b, const std::string& file, const std::string& label, int64_t& chapter,
                           int64_t& recordId, bool& cancel);  // 2

// Edna's Cookbook record layout: records of 1385 bytes from byte 4, texts
// with a one-byte length before them.
inline constexpr size_t kEdnaFirstRecord = 4;
inline constexpr size_t kEdnaRecordSize = 1385;

// UTF-16 text (with a byte order mark, or little-endian without one when
// every second byte of its start is 0) as the program's single-byte text;
// other text is returned unchanged.
std::string SingleByteText(std::string bytes);

}  // namespace pantrela
