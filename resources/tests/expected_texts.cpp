// The expected string table: the English rows, the rule for the other four blocks and its
// exceptions.
#include "expected_texts.h"

#include "resource.h"

namespace {

const EXPECTED_TEXT english_rows[] = {
    {1, "Play Quillmoor Demo"}, {2, "Install Quillmoor Demo"}, {3, "Remove Quillmoor Demo"},
    {4, "Read Help file"}, {5, "Exit Setup"}, {6, "Cancel"},
    {7, "Install Quillmoor Demo (160mb)"}, {8, "Select Typical Install (180mb)"},
    {9, "Select Maximum Install (550mb)"}, {10, "Install Direct X"},
    {11, "Installing, please wait..."}, {12, "Removing, please wait ..."},
    {13, "You do not have enough disk space to perform Install, please select another destination "
         "or Exit and free up some space."},
    {14, "Please type in your Install Directory"}, {15, "Install Complete!"},
    {20, "Question!"}, {21, "Do you have a 3dfx Card Installed?"}, {22, "Quillmoor Demo"},
    {23, "An Error has occured starting the game, please read the help file."},
    {24, "An Error has occured accessing the Registry, please check user setting, or read the help "
         "file."},
    {25, "Warning!"}, {26, "Error!"},
    {27, "Sorry this is not a Valid directory, please select another."},
    {28, "Error opening key, please try again."}, {29, "Error opening file :"},
    {30, "Failed to create file Link."}, {31, "Failed to create Webpage link."},
    {32, "Information"}, {33, "Do you wish to install DirectX?"},
    {34, "Do you wish to install DirectX Media?"}, {35, "Unable to write to file:"},
    {36, "Do you want to delete this dir"}, {37, "Do you want to delete this file"},
    {38, "Uninstall complete"}, {39, "Are you sure?"}, {40, "BLANK"}, {41, "Quillmoor Software"},
    {42, "Quillmoor 3DFX"}, {43, "Direct X was Successfully Installed."},
    {44, "Direst X Setup successfully.\nPlease restart windows before running the game."},
    {45, "Error Installing DirectX."}, {46, "Quillmoor Internet Demo"},
};

// Rows of the other blocks that do not follow the mark-and-rename rule.
const EXPECTED_TEXT regional_exceptions[] = {
    {7, "Select Compact Install (10mb)"}, {22, "c:\\Brevanor Install"}, {40, "Goto Ostrakon"},
    {41, "Brevanor Software"},            {42, "Brevanor 3dfx "},        {46, "Brevanor"},
};

const EXPECTED_TEXT single_copy_rows[] = {
    {5000, "English"}, {5001, "French"},  {5002, "German"},
    {5003, "Italian"}, {5004, "Spanish"}, {5005, "Licence Agreement text goes in here."},
};

}  // namespace

std::string EXPECTED_text(int language, const EXPECTED_TEXT& row) {
    if (language == LANGUAGE_ENGLISH) {
        return row.text;
    }
    static const char marks[] = {'E', 'F', 'G', 'I', 'S'};
    std::string body = row.text;
    bool exception = false;
    for (const EXPECTED_TEXT& special : regional_exceptions) {
        if (special.id == row.id) {
            body = special.text;
            exception = true;
        }
    }
    if (!exception) {
        const std::string from = "Quillmoor Demo";
        for (std::size_t at = body.find(from); at != std::string::npos; at = body.find(from, at)) {
            body.replace(at, from.size(), "Brevanor");
        }
    }
    return std::string(1, marks[language]) + " " + body;
}

const std::span<const EXPECTED_TEXT> EXPECTED_english(english_rows);
const std::span<const EXPECTED_TEXT> EXPECTED_single_copy(single_copy_rows);
