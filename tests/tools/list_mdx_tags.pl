#!/usr/bin/perl
# Prints what Perl's XBase (an independent reader) finds in a table and its production index:
# the table's fields and record count, then per tag its key type, key length, keys per node,
# key item length and the number of keys it holds.
# Usage: list_mdx_tags.pl TABLE.DBF TABLE.MDX
use strict;
use warnings;
use XBase;
use XBase::Index;

my ($dbf_file, $mdx_file) = @ARGV;
my $table = XBase->new($dbf_file) or die XBase->errstr;
print "fields ", join(",", $table->field_names), "\n";
print "records ", $table->last_record + 1, "\n";
$table->close;

my $index = XBase::Index->new($mdx_file) or die XBase::Index->errstr;
for my $name ($index->tags) {
    my $tag_index = XBase::Index->new($mdx_file, 'tag' => $name) or die XBase::Index->errstr;
    my $tag = $tag_index->{'active'};
    my $keys = 0;
    $tag_index->prepare_select;
    $keys++ while defined $tag_index->fetch;
    printf "tag %s type %s key_length %d keys_per_node %d item_length %d keys %d\n",
        $name, $tag->{'key_type'}, $tag->{'key_length'}, $tag->{'max_no_keys_per_page'},
        $tag->{'key_record_length'}, $keys;
}
