# Run by CPack once it has made the .deb (CPACK_POST_BUILD_SCRIPTS).  CPack
# gives the archive's three members the modes of its temporary files, which
# the umask shaped (0600 under umask 077); they become 0644, as dpkg-deb
# writes them, whatever the umask.  Each ar member's header is 60 bytes, its
# mode 8 bytes from the 40th, its size 10 from the 48th, and its data is
# padded to an even length.
set(modes [=[
    open my $deb, "+<:raw", $ARGV[0] or die "$ARGV[0]: $!\n";
    for (my $at = 8; seek($deb, $at, 0) && read($deb, my $head, 60) == 60;) {
        seek($deb, $at + 40, 0) && print $deb "100644  " or die "$ARGV[0]: $!\n";
        my $size = substr($head, 48, 10);
        $at += 60 + $size + $size % 2;
    }
    close $deb or die "$ARGV[0]: $!\n";
]=])
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
    execute_process(COMMAND perl -e "${modes}" ${deb} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
