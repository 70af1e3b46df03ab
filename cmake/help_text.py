"""Reads a program's --help text: the one parser of it for the manual pages and the completion.

A help text has headings ("Options:", "Subcommands:", "Positionals:", or any line of words
ending in a colon) followed by entries indented by two spaces: the left column (an option's
names and value hint, a command's or setting's name) and, after two or more spaces or on the
indented lines below, its description.
"""
import re
import subprocess

# Where the help of daxtool-cli (CLI11's layout) starts a description on the entry's line.
DESCRIPTION_COLUMN = 30


def help_text(program, *args):
    return subprocess.run([program, *args, "--help"], check=True, capture_output=True,
                          text=True).stdout


def sections(text):
    """{"options": [(left, description)], ...}, headings in lower case without the colon."""
    found, current = {}, None
    for line in text.splitlines():
        heading = re.match(r"^(\w[^:]*):\s*$", line)
        if heading:
            current = found.setdefault(heading.group(1).lower(), [])
        elif current is not None and re.match(r"^  \S", line):
            parts = re.split(r"\s{2,}", line.strip(), maxsplit=1)
            if len(parts) == 1 and len(line) > DESCRIPTION_COLUMN and \
                    line[DESCRIPTION_COLUMN - 1] == " ":
                # A left column that just fits leaves one space before the description.
                parts = [line[:DESCRIPTION_COLUMN].strip(), line[DESCRIPTION_COLUMN:].strip()]
            current.append([parts[0], parts[1] if len(parts) > 1 else ""])
        elif current is not None and current and re.match(r"^\s{3,}\S", line):
            # The description continues, or starts below a long left column.
            previous = current[-1]
            previous[1] = (previous[1] + " " + line.strip()).strip()
        elif line and not line.startswith(" "):
            current = None
    return {name: [tuple(e) for e in entries] for name, entries in found.items()}


def option(left):
    """(names, hint, required) of an option's left column, "--png FILE REQUIRED"."""
    names, _, hint = left.partition(" ")
    words = hint.split()
    required = "REQUIRED" in words
    hint = " ".join(w for w in words if w != "REQUIRED")
    return [n for n in names.split(",") if n.startswith("-")], hint, required
