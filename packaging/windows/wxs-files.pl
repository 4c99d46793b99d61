#!/usr/bin/perl
# wxs-files.pl STAGE OUTDIR: the WiX includes for the files of STAGE (the zip's
# folder): files.wxi (folders and one component per file), features.wxi (the
# main feature's components) and simulated.wxi (strovexsim.dll, a feature of
# its own). Component GUIDs are left to wixl ("*"), which derives them from the
# path, so an upgrade finds the same components again. wixl takes sources
# relative to the folder it runs in: they are named from STAGE's parent.
use strict;
use warnings;

my ($stage, $out) = @ARGV;
die "usage: $0 STAGE OUTDIR\n" unless defined $out && -d $stage;

my (@main, @simulated);
(my $source_root = $stage) =~ s{/+$}{};
$source_root =~ s{.*/}{};
my $count = 0;

sub escaped {
    my ($text) = @_;
    $text =~ s/&/&amp;/g;
    $text =~ s/</&lt;/g;
    $text =~ s/"/&quot;/g;
    return $text;
}

# The file ids the package names itself keep their file names.
sub file_id {
    my ($relative) = @_;
    return $relative if $relative eq 'strovex.exe' || $relative eq 'strovexsim.dll';
    (my $id = $relative) =~ s/[^A-Za-z0-9_.]/_/g;
    $id = "f${count}_" . substr($id, -50);
    return $id;
}

sub folder {
    my ($dir, $relative, $indent) = @_;
    opendir(my $handle, $dir) or die "$dir: $!\n";
    my @names = sort grep { !/^\.\.?$/ } readdir($handle);
    closedir($handle);
    my $text = '';
    for my $name (@names) {
        my $path = "$dir/$name";
        my $child = $relative eq '' ? $name : "$relative/$name";
        if (-d $path) {
            $count++;
            $text .= sprintf(qq(%s<Directory Id="d%d" Name="%s">\n), $indent, $count, escaped($name));
            $text .= folder($path, $child, "$indent  ");
            $text .= "$indent</Directory>\n";
        } else {
            $count++;
            my $component = "c$count";
            $text .= sprintf(qq(%s<Component Id="%s" Guid="*" Win64="yes"><File Id="%s" Name="%s" Source="%s" KeyPath="yes"/></Component>\n),
                             $indent, $component, file_id($child), escaped($name), escaped("$source_root/$child"));
            if ($child eq 'strovexsim.dll') {
                push @simulated, $component;
            } else {
                push @main, $component;
            }
        }
    }
    return $text;
}

sub write_include {
    my ($name, $body) = @_;
    open(my $file, '>:encoding(UTF-8)', "$out/$name") or die "$out/$name: $!\n";
    print $file qq(<?xml version="1.0" encoding="utf-8"?>\n<Include>\n$body</Include>\n);
    close($file) or die "$out/$name: $!\n";
}

my $tree = folder($stage, '', '  ');
die "no strovex.exe in $stage\n" unless -f "$stage/strovex.exe";
write_include('files.wxi', $tree);
write_include('features.wxi', join('', map { qq(  <ComponentRef Id="$_"/>\n) } @main));
write_include('simulated.wxi', join('', map { qq(  <ComponentRef Id="$_"/>\n) } @simulated));
