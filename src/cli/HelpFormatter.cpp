#include "cli/HelpFormatter.h"

#include <sstream>

namespace dax {

std::string WrapText(const std::string& text, size_t start, size_t indent, size_t width) {
    std::string out;
    size_t column = start;
    std::istringstream paragraphs(text);
    std::string paragraph;
    bool firstLine = true;
    while (std::getline(paragraphs, paragraph)) {
        if (!firstLine) {
            out += '\n' + std::string(indent, ' ');
            column = indent;
        }
        firstLine = false;
        std::istringstream words(paragraph);
        std::string word;
        bool lineStart = true;
        while (words >> word) {
            if (!lineStart && column + 1 + word.size() > width) {
                out += '\n' + std::string(indent, ' ');
                column = indent;
                lineStart = true;
            }
            if (!lineStart) {
                out += ' ';
                ++column;
            }
            out += word;
            column += word.size();
            lineStart = false;
        }
    }
    return out;
}

namespace {

// An entry of a list: its left column, and the description beside it from the description
// column, or on the lines below when the left column leaves no room.
std::string Entry(const std::string& left, const std::string& description) {
    std::string out = "  " + left;
    if (!description.empty()) {
        if (out.size() >= HelpFormatter::kDescriptionColumn)
            out += '\n' + std::string(HelpFormatter::kDescriptionColumn, ' ');
        else
            out.resize(HelpFormatter::kDescriptionColumn, ' ');
        out += WrapText(description, HelpFormatter::kDescriptionColumn,
                        HelpFormatter::kDescriptionColumn, HelpFormatter::kWidth);
    }
    return out + '\n';
}

// The value an option takes, as its hint names it; empty for a flag.
std::string Hint(const CLI::Option* opt) {
    if (opt->get_expected_max() == 0)
        return {}; // a flag
    // A positional is named by its own word; an option without a hint of its own takes a value.
    const std::string hint = opt->get_option_text();
    return hint.empty() && !opt->get_positional() ? "VALUE" : hint;
}

} // namespace

HelpFormatter::HelpFormatter() {
    column_width(kDescriptionColumn);
}

std::string HelpFormatter::make_option(const CLI::Option* opt, bool isPositional) const {
    return Entry(make_option_name(opt, isPositional) + make_option_opts(opt),
                 make_option_desc(opt));
}

std::string HelpFormatter::make_option_opts(const CLI::Option* opt) const {
    std::string hint = Hint(opt);
    // An argument is required by its place in the usage line; an option says so.
    if (opt->get_required() && !opt->get_positional())
        hint += " REQUIRED";
    return hint.empty() ? hint : " " + hint;
}

std::string HelpFormatter::make_description(const CLI::App* app) const {
    const std::string description = app->get_description();
    return description.empty() ? description : WrapText(description, 0, 0, kWidth) + "\n\n";
}

std::string HelpFormatter::make_usage(const CLI::App* app, std::string name) const {
    // The command's required options and arguments, then what may be added.
    std::string line = "Usage: " + name;
    for (const CLI::Option* opt : app->get_options()) {
        if (opt->get_required() && opt->nonpositional())
            line += " " + opt->get_name(false, false) + (Hint(opt).empty() ? "" : " " + Hint(opt));
    }
    line += " [OPTIONS]";
    for (const CLI::Option* opt : app->get_options())
        if (opt->get_positional())
            line += " " + make_option_usage(opt);
    if (!app->get_subcommands({}).empty())
        line += " COMMAND [COMMAND OPTIONS]";
    return WrapText(line, 0, 4, kWidth) + '\n';
}

std::string HelpFormatter::make_subcommand(const CLI::App* sub) const {
    return Entry(sub->get_name(), sub->get_description());
}

std::string HelpFormatter::make_expanded(const CLI::App* sub) const {
    if (!sub->get_name().empty())
        return CLI::Formatter::make_expanded(sub);
    // A group of options: listed under its name, as the other options are.
    std::string out = "\n" + sub->get_group() + ":\n";
    for (const CLI::Option* opt : sub->get_options())
        out += make_option(opt, opt->get_positional());
    return out;
}

std::string HelpFormatter::make_footer(const CLI::App* app) const {
    const std::string footer = app->get_footer();
    return footer.empty() ? footer : WrapText(footer, 0, 0, kWidth) + '\n';
}

} // namespace dax
