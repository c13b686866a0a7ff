# SPDX-License-Identifier: GPL-3.0-or-later
# bash completion for tovin-cli                           -*- shell-script -*-
# Loaded by bash-completion the first time tovin-cli's arguments are completed.

_tovin_cli()
{
    local cur prev words cword split
    _init_completion -s || return

    # The values the window offers as buttons; any other in range is fine too.
    case $prev in
        --carrier)
            COMPREPLY=($(compgen -W '150 110 220 440' -- "$cur"))
            return
            ;;
        --beat)
            COMPREPLY=($(compgen -W '8 12' -- "$cur"))
            return
            ;;
        --bits)
            COMPREPLY=($(compgen -W '16 24' -- "$cur"))
            return
            ;;
        --rate)
            COMPREPLY=($(compgen -W '44100 48000 96000' -- "$cur"))
            return
            ;;
        --session)
            _filedir sbg
            return
            ;;
        -o | --output)
            if [[ ${words[1]} == plot ]]; then
                _filedir '@(png|svg)'
            else
                _filedir '@(wav|flac|ogg|mp3|opus)'
            fi
            return
            ;;
        --size)
            COMPREPLY=($(compgen -W '1600x900 1920x1080 1200x600' -- "$cur"))
            return
            ;;
        --mix)
            _filedir '@(wav|flac|ogg|oga|opus|mp3|aif|aiff)'
            return
            ;;
        --record-midi)
            _filedir '@(mid|midi)'
            return
            ;;
        --volume | --midi-volume | --seconds | --from | --length | --seed | --tones)
            return # a number, a time or voices: nothing to offer
            ;;
    esac
    $split && return

    if ((cword == 1)); then
        COMPREPLY=($(compgen -W 'play render check plot --help --version' -- "$cur"))
        return
    fi

    local options
    case ${words[1]} in
        play)
            options='--carrier --beat --volume --seconds --midi --midi-volume
                --record-midi --session --tones --from --mix --help --version'
            ;;
        render)
            options='--carrier --beat -o --output --session --tones --length --rate
                --bits --seed --mix --help --version'
            ;;
        plot)
            options='--session --tones -o --output --size --help --version'
            ;;
        check)
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W '--mix --help --version' -- "$cur"))
            else
                _filedir sbg
            fi
            return
            ;;
        *)
            return
            ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        [[ ${COMPREPLY-} == *= ]] && compopt -o nospace
    fi
} &&
    complete -F _tovin_cli tovin-cli

# ex: filetype=sh
