#!/usr/bin/env python3
"""Writes the help2man include of daxtool-cli's manual page from the program's own help texts.

Usage: make_man_include.py DAXTOOL_CLI OUTPUT

The synopsis comes from the options of `daxtool-cli --help`, the COMMANDS section from each
`daxtool-cli COMMAND --help`: the command's arguments and options (the ones every command takes
are in OPTIONS once), marked required where the help says so. The page cannot list an option
the program does not take, nor miss one it does.
"""
import re
import sys

from help_text import help_text, option, sections


def roff(text):
    """Text for a roff line: hyphens as minus signs, backslashes kept, no leading dot."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return "\\&" + text if text[:1] in (".", "'") else text


def hint_text(hint):
    """The value an option or argument takes, as the page shows it: TEXT:{a,b} is a|b."""
    members = re.search(r"\{([^}]*)\}", hint)
    if members:
        return "|".join(m.strip() for m in members.group(1).split(","))
    return hint


def usage_word(names, hint, required):
    text = "\\fB%s\\fR" % roff(names[-1])
    if hint:
        text += " \\fI%s\\fR" % roff(hint_text(hint))
    return text if required else "[%s]" % text


def main():
    program, output = sys.argv[1], sys.argv[2]
    top = sections(help_text(program))
    commands = [(left.split()[0], description) for left, description in top["subcommands"]]
    global_names = set()
    globals_in_order = []
    synopsis = []
    for left, _ in top.get("options", []):
        names, hint, _ = option(left)
        global_names.update(names)
        if "--help" not in names and "--version" not in names:
            synopsis.append(usage_word(names, hint, False))
            globals_in_order.append(names[-1])

    out = ["[synopsis]", ".B daxtool\\-cli",
           " ".join(synopsis + ["[\\fB\\-Test\\fIN\\fR]", "\\fICOMMAND\\fR",
                                "[\\fICOMMAND OPTIONS\\fR]"]),
           ".br", ".B daxtool\\-cli", "[\\fICOMMAND\\fR] \\fB\\-\\-help\\fR",
           ".br", ".B daxtool\\-cli", "\\fB\\-\\-version\\fR", "",
           "[COMMANDS]",
           "Every command also takes the options above, before or after its name, unless its "
           "entry names the few it takes.",
           "The values are checked before any port is opened: a bad one ends the run with "
           "exit status 64 and nothing sent."]
    for name, description in commands:
        found = sections(help_text(program, name))
        words, items = [], []
        for left, text in found.get("positionals", []):
            argument, _, hint = left.partition(" ")
            hint = hint.replace("REQUIRED", "").strip()
            shown = hint_text(hint) if "{" in hint else argument
            words.append("\\fI%s\\fR" % roff(shown))
            items.append(("\\fI%s\\fR" % roff(shown), text))
        taken = []
        for left, text in found.get("options", []):
            names, hint, required = option(left)
            if global_names.intersection(names):
                taken += [n + (" (required)" if required else "") for n in names]
                continue
            words.append(usage_word(names, hint, required))
            label = ", ".join("\\fB%s\\fR" % roff(n) for n in names)
            if hint:
                label += " \\fI%s\\fR" % roff(hint_text(hint))
            items.append((label, text + (" (required)" if required else "")))
        out.append(".SS \"%s\"" % " ".join(["\\fB%s\\fR" % roff(name)] + words).replace('"', ""))
        out.append(roff(description))
        few = [t for n in globals_in_order for t in taken if t.split()[0] == n]
        if len(few) != len(globals_in_order) or any(" " in t for t in few):
            out.append(roff("Of the options above it takes only %s." % ", ".join(few)))
        for label, text in items:
            out += [".TP", label, roff(text)]
    with open(output, "w") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
