# The alarm latency table of both measurement scripts, from a probe's
# "trial N SECOND MS" lines; trials is the number of trials asked for.
$1 == "trial" {
  t = sprintf("%d:%02d:%02d", $3 / 3600, $3 / 60 % 60, $3 % 60)
  if ($4 == "none") { printf "  %5d  %8s  %7s  %8s   no change within 4 s\n", $2, t, "-", "-"; next }
  if ($4 == "early") { printf "  %5d  %8s  %7s  %8s   changed %d ms before the alarm\n", $2, t, "-", "-", $5; next }
  n++; less = $4 - 500; if (less <= 150) good++
  printf "  %5d  %8s  %7.0f  %8.0f\n", $2, t, $4, less
}
END {
  if (n == 0) print "  not measurable: the outline never changed within 4 s of an alarm"
  else printf "  within 150 ms after the first 500: %d of %d trials (target: 9 of 10)\n", good + 0, trials
}
