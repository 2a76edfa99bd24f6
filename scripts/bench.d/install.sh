# Benchmark group "install": the compact install of setup.exe from a generated 160 MB disc against
# the same copy without a window (a bare loop), Wine's xcopy, an NSIS-built installer and native
# cp -r; and the program's removal against Wine's rmdir /s /q and native rm -rf. Disc and
# destinations live on a tmpfs; the disc is drive D: (CD-ROM), the destinations drive E:. Rounds
# go round-robin over the contenders, each into a fresh folder; nothing is deleted until every
# install round is done. The figures are medians over the rounds.
#
#   QUILL_INSTALL_ROUNDS  rounds (default 5)
#   QUILL_INSTALL_BUILD   a configured build folder to use instead of the win64 preset's
#   QUILL_INSTALL_BASELINE  another setup.exe (say, of an earlier revision) that joins the rounds,
#                           started the same way from the same disc, for a before-and-after ratio
install_rounds="${QUILL_INSTALL_ROUNDS:-5}"
install_targets=(disc setup install_driver install_bare_copy)
if [ -n "${QUILL_INSTALL_BUILD:-}" ]; then
    install_build="$QUILL_INSTALL_BUILD"
    cmake -S "$QUILL_ROOT" -B "$install_build" --toolchain "$QUILL_ROOT/cmake/toolchain-x86_64-mingw.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$install_build" -j "$(nproc)" --target "${install_targets[@]}" >/dev/null
else
    install_build="$QUILL_BUILD/win64"
    cmake --preset win64 >/dev/null
    cmake --build --preset win64 -j "$(nproc)" --target "${install_targets[@]}" >/dev/null
fi
# makensis builds the NSIS contender; python3 generates the disc.
install_missing=()
command -v makensis >/dev/null || install_missing+=(nsis)
command -v python3 >/dev/null || install_missing+=(python3)
if [ ${#install_missing[@]} -gt 0 ]; then
    quill_say "installing: ${install_missing[*]}"
    install_sudo=""
    [ "$(id -u)" -eq 0 ] || install_sudo="sudo"
    $install_sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
        "${install_missing[@]}" >/dev/null
fi

quill_ensure_display
quill_wine_env
install_bench="$install_build/bench/install"
install_mount="$install_build/install-bench"
install_disc="$install_mount/disc"
install_dest="$install_mount/dest"
install_d="$WINEPREFIX/dosdevices/d:"
install_e="$WINEPREFIX/dosdevices/e:"
install_old_d=$(readlink "$install_d" 2>/dev/null || true)
install_old_e=$(readlink "$install_e" 2>/dev/null || true)

install_cleanup() {
    set +e
    [ -n "$install_old_d" ] && ln -sfn "$install_old_d" "$install_d" || rm -f "$install_d"
    [ -n "$install_old_e" ] && ln -sfn "$install_old_e" "$install_e" || rm -f "$install_e"
    wineserver -w
    mountpoint -q "$install_mount" && umount "$install_mount"
    quill_stop_display
}
trap install_cleanup EXIT

# Every round's five trees and the disc fit with room to spare.
install_sudo=""
[ "$(id -u)" -eq 0 ] || install_sudo="sudo"
mkdir -p "$install_mount"
mountpoint -q "$install_mount" || $install_sudo mount -t tmpfs -o size=$(( (install_rounds * 6 + 3) * 200 ))m \
    quill-install-bench "$install_mount"
$install_sudo chown "$(id -u):$(id -g)" "$install_mount"
python3 "$QUILL_ROOT/bench/install/make_disc.py" "$install_build/disc-layout" "$install_disc" >&2
mkdir -p "$install_dest"

ln -sfn "$install_disc" "$install_d"
ln -sfn "$install_dest" "$install_e"
if ! wine reg query 'HKLM\Software\Wine\Drives' /v 'd:' /reg:64 2>/dev/null | grep -qi cdrom; then
    wine reg add 'HKLM\Software\Wine\Drives' /v 'd:' /t REG_SZ /d cdrom /f /reg:64 >/dev/null 2>&1
    # The mount manager reads the drive types when a Wine session starts.
    wineserver -w
fi

install_data_trees=(Anims ANM Bink Dialogue fonts INK Interface LCM LMM MCZ Rand Sound str WMC WMD WSD WSM)
install_win() { printf 'Z:%s' "${1//\//\\}"; }
install_driver() { wine "$install_bench/install_driver.exe" "$@" | tr -d '\r'; }
install_value() { sed -n "s/^$1 //p" <<<"$2"; }
install_skeleton() {
    local tree
    mkdir -p "$1/data"
    for tree in "${install_data_trees[@]}"; do mkdir -p "$1/data/$tree"; done
}

# The NSIS contender copies at run time from the disc, as the program does.
install_nsis_dir="$install_mount/nsis"
mkdir -p "$install_nsis_dir"
{
    echo 'Unicode true'
    echo 'Target amd64-unicode'
    echo 'Name "Install benchmark"'
    echo 'OutFile "copy_installer.exe"'
    echo 'SilentInstall silent'
    echo 'RequestExecutionLevel user'
    echo 'InstallDir "E:\nsis"'
    echo 'Section'
    echo '  CreateDirectory "$INSTDIR\data"'
    for tree in "${install_data_trees[@]}"; do echo "  CreateDirectory \"\$INSTDIR\\data\\$tree\""; done
    for tree in "${install_data_trees[@]}"; do
        echo "  CopyFiles /SILENT \"D:\\data\\$tree\\*.*\" \"\$INSTDIR\\data\\$tree\""
    done
    echo '  CopyFiles /SILENT /FILESONLY "D:\*.*" "$INSTDIR"'
    echo '  CopyFiles /SILENT /FILESONLY "D:\data\*.*" "$INSTDIR\data"'
    echo 'SectionEnd'
} >"$install_nsis_dir/copy.nsi"
(cd "$install_nsis_dir" && makensis -V1 copy.nsi >/dev/null)

install_setup_exe='D:\setup.exe'
declare -A install_times
install_add() { install_times[$1]+="$2 "; }
install_median() {
    tr ' ' '\n' <<<"${install_times[$1]:-}" | sed '/^$/d' | sort -g |
        awk '{ v[NR] = $1 } END { if (NR == 0) print "nan"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
install_now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

install_run() {
    local contender="$1" round="$2" out="" start
    local target="$install_dest/r$round/$contender"
    case "$contender" in
        setup)
            mkdir -p "$install_dest/r$round"
            out=$(cd "$install_d" && install_driver install "$install_setup_exe" 'D:\' "E:\\r$round\\setup")
            install_add setup "$(install_value install_ms "$out")"
            install_add stall "$(install_value max_stall_ms "$out")"
            install_add stall_at "$(install_value max_stall_at_ms "$out")"
            ;;
        baseline)
            mkdir -p "$install_dest/r$round"
            out=$(cd "$install_d" && install_driver install "$(install_win "$QUILL_INSTALL_BASELINE")" 'D:\' \
                "E:\\r$round\\baseline")
            install_add baseline "$(install_value install_ms "$out")"
            install_add baseline_stall "$(install_value max_stall_ms "$out")"
            ;;
        bare)
            mkdir -p "$install_dest/r$round"
            out=$(wine "$install_bench/install_bare_copy.exe" 'D:' "E:\\r$round\\bare" | tr -d '\r')
            install_add bare "$(install_value bare_ms "$out")"
            ;;
        xcopy)
            install_skeleton "$target"
            {
                for tree in "${install_data_trees[@]}"; do
                    echo "xcopy D:\\data\\$tree E:\\r$round\\xcopy\\data\\$tree /E /I /Y"
                done
                echo "xcopy D:\\*.* E:\\r$round\\xcopy\\ /Y"
                echo "xcopy D:\\data\\*.* E:\\r$round\\xcopy\\data\\ /Y"
            } >"$install_mount/xcopy-$round.txt"
            out=$(install_driver commands "$(install_win "$install_mount/xcopy-$round.txt")")
            # As a user runs it: one xcopy per tree, each paying its own start, less the one start
            # that setup.exe's figure leaves out as well. Net of every start, for comparison.
            install_add xcopy "$(awk -v all="$(install_value commands_ms "$out")" \
                -v one="$(install_value empty_start_ms "$out")" 'BEGIN { printf "%.1f", all - one }')"
            install_add xcopy_net "$(install_value net_ms "$out")"
            install_add empty "$(install_value empty_start_ms "$out")"
            ;;
        nsis)
            mkdir -p "$install_dest/r$round"
            echo "$(install_win "$install_nsis_dir/copy_installer.exe") /S /D=E:\\r$round\\nsis" \
                >"$install_mount/nsis-$round.txt"
            out=$(install_driver commands "$(install_win "$install_mount/nsis-$round.txt")")
            install_add nsis "$(install_value net_ms "$out")"
            ;;
        cp)
            mkdir -p "$target"
            start=$(install_now_ms)
            cp -r "$install_disc/data" "$target/"
            find "$install_disc" -maxdepth 1 -type f -exec cp -t "$target/" {} +
            install_add cp $(( $(install_now_ms) - start ))
            ;;
    esac
    quill_say "round $round: $contender $(tr ' ' '\n' <<<"${install_times[$contender]:-}" | sed '/^$/d' | tail -1) ms"
    [ -n "$out" ] || [ "$contender" = cp ] || { quill_say "$contender round $round gave no figure"; exit 1; }
}

install_remove() {
    local contender="$1" round="$2" out="" start
    case "$contender" in
        setup)
            out=$(cd "$install_d" && install_driver remove "$install_setup_exe" 'D:\' "E:\\r$round\\setup")
            install_add remove "$(install_value remove_ms "$out")"
            install_add remove_whole "$(install_value remove_whole_ms "$out")"
            ;;
        rmdir)
            echo "cmd /c rmdir /s /q E:\\r$round\\xcopy" >"$install_mount/rmdir-$round.txt"
            out=$(install_driver commands "$(install_win "$install_mount/rmdir-$round.txt")")
            install_add rmdir "$(install_value net_ms "$out")"
            ;;
        rm)
            start=$(install_now_ms)
            rm -rf "$install_dest/r$round/nsis"
            install_add rm $(( $(install_now_ms) - start ))
            ;;
    esac
    local key="$contender"
    [ "$contender" = setup ] && key=remove
    quill_say "removal round $round: $contender $(tr ' ' '\n' <<<"${install_times[$key]:-}" | sed '/^$/d' | tail -1) ms"
}

# The program and what it is held against most closely run next to each other.
install_contenders=(setup)
[ -n "${QUILL_INSTALL_BASELINE:-}" ] && install_contenders+=(baseline)
install_contenders+=(bare xcopy nsis cp)
echo "== compact install of $(find "$install_disc/data" -type f | wc -l) files," \
     "$(du -sm "$install_disc" | cut -f1) MB, $install_rounds rounds round-robin (windows x86_64, under Wine, tmpfs)"
for round in $(seq 1 "$install_rounds"); do
    # Each round starts with the next contender, so none always runs first.
    for k in "${!install_contenders[@]}"; do
        contender="${install_contenders[$(( (k + round - 1) % ${#install_contenders[@]} ))]}"
        install_run "$contender" "$round"
    done
done
# Every contender copied the whole disc, and the program's copy is byte for byte the disc's.
install_expected=$(find "$install_disc" -type f | wc -l)
for round in $(seq 1 "$install_rounds"); do
    for contender in "${install_contenders[@]}"; do
        install_found=$(find "$install_dest/r$round/$contender" -type f | wc -l)
        [ "$install_found" = "$install_expected" ] ||
            { quill_say "$contender round $round copied $install_found files, not $install_expected"; exit 1; }
    done
done
diff -r -q "$install_disc" "$install_dest/r1/setup" >/dev/null ||
    { quill_say "setup.exe's copy differs from the disc"; exit 1; }

install_removers=(setup rmdir rm)
for round in $(seq 1 "$install_rounds"); do
    for k in "${!install_removers[@]}"; do
        install_remove "${install_removers[$(( (k + round - 1) % ${#install_removers[@]} ))]}" "$round"
    done
done

for key in setup bare xcopy xcopy_net nsis cp baseline remove remove_whole rmdir rm empty; do
    printf -v "install_m_$key" '%s' "$(install_median "$key")"
done
# The stall figure is the longest of all rounds, not a median.
install_m_stall=$(tr ' ' '\n' <<<"${install_times[stall]:-}" | sed '/^$/d' | sort -g | tail -1)
# The load on a shared machine drifts within a run: each ratio is the median of the rounds' own
# ratios, each taken between runs of one round.
install_ratio() {
    paste <(tr ' ' '\n' <<<"${install_times[$1]:-}" | sed '/^$/d') <(tr ' ' '\n' <<<"${install_times[$2]:-}" | sed '/^$/d') |
        awk '$2 > 0 { print $1 / $2 }' | sort -g |
        awk '{ v[NR] = $1 } END { if (NR == 0) print "nan"; else if (NR % 2) printf "%.3f\n", v[(NR + 1) / 2];
              else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
echo
printf '%-34s %10s   %s\n' "contender" "median ms" "all rounds (ms)"
printf '%-34s %10s   %s\n' "setup.exe compact install" "$install_m_setup" "${install_times[setup]}"
printf '%-34s %10s   %s\n' "bare loop (same algorithm)" "$install_m_bare" "${install_times[bare]}"
printf '%-34s %10s   %s\n' "Wine xcopy /E /I /Y, per tree" "$install_m_xcopy" "${install_times[xcopy]}"
printf '%-34s %10s   %s\n' "  ... net of all 19 starts" "$install_m_xcopy_net" "${install_times[xcopy_net]}"
printf '%-34s %10s   %s\n' "NSIS installer (CopyFiles)" "$install_m_nsis" "${install_times[nsis]}"
printf '%-34s %10s   %s\n' "native cp -r" "$install_m_cp" "${install_times[cp]}"
[ -n "${QUILL_INSTALL_BASELINE:-}" ] &&
    printf '%-34s %10s   %s\n' "baseline setup.exe compact install" "$install_m_baseline" "${install_times[baseline]}"
printf '%-34s %10s   %s\n' "setup.exe removal (tree deletion)" "$install_m_remove" "${install_times[remove]}"
printf '%-34s %10s   %s\n' "setup.exe removal (press to end)" "$install_m_remove_whole" "${install_times[remove_whole]}"
printf '%-34s %10s   %s\n' "Wine cmd /c rmdir /s /q" "$install_m_rmdir" "${install_times[rmdir]}"
printf '%-34s %10s   %s\n' "native rm -rf" "$install_m_rm" "${install_times[rm]}"
printf '%-34s %10s   %s\n' "longest window stall (max, install)" "$install_m_stall" "${install_times[stall]}"
printf '%-34s %10s   %s\n' "  ... began at ms into the install" "" "${install_times[stall_at]}"
echo
echo "How Wine's start-up is left out: setup.exe is timed inside the automation program, from posting"
echo "the compact button to the appearance of \"Install Complete!\" (removal: from the Yes for the install"
echo "folder to the next box); the bare loop times itself; xcopy, the NSIS installer and rmdir are timed"
echo "from CreateProcess to their end inside a running Wine session. xcopy runs once per tree, as a user"
echo "would run it, and pays a process start each time: its figure leaves out one start, as setup.exe's"
echo "does, and the line below it leaves out all of them; the NSIS installer and rmdir, started once, are"
echo "net of one empty-program start (median $install_m_empty ms). cp and rm -rf are native. The stall is the"
echo "longest WM_NULL round trip."
echo "Each ratio is the median of the per-round ratios."
echo
echo "ratio install_vs_bare_loop $(install_ratio setup bare)"
echo "ratio install_vs_xcopy $(install_ratio setup xcopy)"
echo "ratio install_vs_nsis $(install_ratio setup nsis)"
echo "ratio install_vs_cp $(install_ratio setup cp)"
echo "ratio remove_vs_rmdir $(install_ratio remove rmdir)"
echo "figure max_stall_ms $install_m_stall ms"
if [ -n "${QUILL_INSTALL_BASELINE:-}" ]; then
    echo "ratio install_vs_baseline $(install_ratio setup baseline)"
    echo "figure baseline_max_stall_ms $(tr ' ' '\n' <<<"${install_times[baseline_stall]:-}" | sed '/^$/d' | sort -g | tail -1) ms"
fi

# The trees go only now, after every timed round.
rm -rf "$install_dest"
