# fish completion for korva. korva itself says what fits (`korva __complete
# WORD...`), from the tables its --help is printed from: candidates with
# their descriptions, and file names where a file is taken.

function __korva_complete
    set -l typed (commandline -opc)
    set -e typed[1]
    set -l current (commandline -ct)
    set -l files 0
    for line in (command korva __complete $typed "$current" 2>/dev/null)
        if test "$line" = ":files"
            set files 1
        else
            echo $line
        end
    end
    if test $files = 1
        __fish_complete_path "$current"
    end
end

complete -c korva -f -a '(__korva_complete)'
