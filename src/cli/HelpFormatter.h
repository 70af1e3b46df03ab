#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace dax {

// The layout of daxtool-cli's --help: 80 columns, descriptions wrapped from column 30, each
// value shown by the hint its option gives (0|1, N, SN, FILE) and "REQUIRED" after the hint of
// an option that must be given. The parser's own type names and checks never show. The manual
// page and the shell completion are made from this text.
class HelpFormatter : public CLI::Formatter {
public:
    static constexpr size_t kWidth = 80;
    static constexpr size_t kDescriptionColumn = 30;

    HelpFormatter();

    std::string make_option(const CLI::Option* opt, bool isPositional) const override;
    std::string make_option_opts(const CLI::Option* opt) const override;
    std::string make_description(const CLI::App* app) const override;
    std::string make_usage(const CLI::App* app, std::string name) const override;
    std::string make_subcommand(const CLI::App* sub) const override;
    std::string make_expanded(const CLI::App* sub) const override;
    std::string make_footer(const CLI::App* app) const override;
};

// `text` in lines of at most `width` columns, broken between words, its first line going on
// from column `start`; the lines after it (and after each line break of the text) begin with
// `indent` spaces.
std::string WrapText(const std::string& text, size_t start, size_t indent, size_t width);

} // namespace dax
