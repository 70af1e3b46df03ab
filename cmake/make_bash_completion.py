#!/usr/bin/env python3
"""Writes the bash completion of daxtool-cli from the program's own --help texts.

Usage: make_bash_completion.py DAXTOOL_CLI OUTPUT

The commands come from `daxtool-cli --help`, each command's options, option values and file
arguments from `daxtool-cli COMMAND --help`, so the completion offers what the program built
with it takes. The value of --port is completed with the COM ports `daxtool-cli ports` lists at
the time.
"""
import re
import sys

from help_text import help_text, option, sections


def value_kind(hint):
    """What completes an option's value: ("words", [...]), ("files",), ("dirs",) or None."""
    if not hint:
        return None
    members = re.search(r"\{([^}]*)\}", hint)
    if members:
        return ("words", [w.strip() for w in members.group(1).split(",") if w.strip()])
    span = re.search(r"\[\s*(-?\d+)\s*-\s*(-?\d+)\s*\]", hint)
    if span and int(span.group(2)) - int(span.group(1)) <= 20:
        return ("words", [str(n) for n in range(int(span.group(1)), int(span.group(2)) + 1)])
    first = hint.split()[0]
    if "|" in first:
        return ("words", first.split("|"))
    if re.search(r"\bDIR\b", hint):
        return ("dirs",)
    if re.search(r"\bFILE\b", hint):
        return ("files",)
    return ("free",)


def options(entries):
    """[(names, kind)] of one Options section."""
    out = []
    for left, _ in entries:
        names, hint, _ = option(left)
        kind = ("ports",) if "--port" in names else value_kind(hint)
        out.append((names, kind))
    return out


def quote(words):
    return " ".join(words)


def main():
    program, output = sys.argv[1], sys.argv[2]
    top_text = help_text(program)
    top = sections(top_text)
    commands = [left.split()[0] for left, _ in top.get("subcommands", [])]
    if not commands:
        sys.exit("no commands found in the --help of " + program)
    global_options = options(top.get("options", []))

    per_command = {}
    for command in commands:
        found = sections(help_text(program, command))
        # The first argument that is not an option: a file, or one of named words.
        positional = None
        for left, _ in found.get("positionals", [])[:1]:
            name, _, hint = left.partition(" ")
            positional = ("files",) if name in ("FILE", "PATH") else value_kind(hint)
        per_command[command] = (options(found.get("options", [])), positional)

    def value_cases(opts, pattern_prefix):
        lines = []
        for names, kind in opts:
            if kind is None:
                continue
            pattern = "|".join(pattern_prefix + n for n in names)
            if kind[0] == "words":
                action = 'COMPREPLY=($(compgen -W "%s" -- "$cur"))' % quote(kind[1])
            elif kind[0] == "files":
                action = "_daxtool_cli_files"
            elif kind[0] == "dirs":
                action = "_daxtool_cli_files -d"
            elif kind[0] == "ports":
                action = "_daxtool_cli_ports"
            else:
                action = ":"  # free text: nothing to offer
            lines.append("    %s) %s; return ;;" % (pattern, action))
        return lines

    global_names = sorted({n for names, _ in global_options for n in names})
    if "-TestN" in top_text:  # the test level, taken from anywhere on the line
        global_names.append("-Test1")
    out = [
        "# bash completion for daxtool-cli; made from the program's own --help when it was built.",
        "",
        "_daxtool_cli_files() {",
        "    local IFS=$'\\n'",
        "    compopt -o filenames 2>/dev/null",
        '    COMPREPLY=($(compgen ${1:--f} -- "$cur"))',
        "}",
        "",
        "# The COM ports that exist, as `daxtool-cli ports` lists them (in the device directory",
        "# the line names, if it names one): numbers, or COMn once a C is typed.",
        "_daxtool_cli_ports() {",
        "    local dir=() i ports",
        "    for ((i = 1; i < COMP_CWORD; i++)); do",
        "        case ${COMP_WORDS[i]} in",
        "        --device-dir) dir=(--device-dir \"${COMP_WORDS[i + 1]}\") ;;",
        "        --device-dir=*) dir=(\"${COMP_WORDS[i]}\") ;;",
        "        esac",
        "    done",
        "    ports=$(\"${COMP_WORDS[0]}\" \"${dir[@]}\" ports 2>/dev/null |",
        "        sed -n 's/^COM\\([0-9]*\\):.*/\\1/p')",
        "    [[ $cur == [Cc]* ]] && ports=$(printf 'COM%s\\n' $ports)",
        '    COMPREPLY=($(compgen -W "$ports" -- "${cur^^}"))',
        "}",
        "",
        "_daxtool_cli() {",
        '    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}',
        '    local commands="%s"' % quote(commands),
        '    local command="" i',
        "    for ((i = 1; i < COMP_CWORD; i++)); do",
        '        case " $commands " in *" ${COMP_WORDS[i]} "*) command=${COMP_WORDS[i]}; break ;; esac',
        "    done",
        "",
        "    # The value of the option just typed.",
        '    case "$command:$prev" in',
    ]
    for command in commands:
        out += value_cases(per_command[command][0], command + ":")
    out += value_cases(global_options, "*:")
    out += [
        "    esac",
        "",
        '    local words="%s"' % quote(global_names),
        '    case "$command" in',
    ]
    # After a command, the options its help lists: the global ones only where they mean something.
    test_level = ["-Test1"] if "-Test1" in global_names else []
    for command in commands:
        opts, files = per_command[command]
        names = sorted({n for names, _ in opts for n in names}) + test_level
        out.append('    %s) words="%s" ;;' % (command, quote(names)))
    out += [
        "    esac",
        '    if [[ $cur == -* ]]; then',
        '        COMPREPLY=($(compgen -W "$words" -- "$cur"))',
        '    elif [[ -z $command ]]; then',
        '        COMPREPLY=($(compgen -W "$commands" -- "$cur"))',
        "    else",
        '        case "$command" in',
    ]
    for command in commands:
        positional = per_command[command][1]
        if positional and positional[0] == "files":
            out.append("        %s) _daxtool_cli_files ;;" % command)
        elif positional and positional[0] == "words":
            out.append('        %s) COMPREPLY=($(compgen -W "%s" -- "$cur")) ;;'
                       % (command, quote(positional[1])))
    out += [
        "        esac",
        "    fi",
        "}",
        "complete -F _daxtool_cli daxtool-cli",
        "",
    ]
    with open(output, "w") as f:
        f.write("\n".join(out))


if __name__ == "__main__":
    main()
