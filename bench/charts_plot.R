# R's counterpart of the chart windows for the side-by-side timing: the
# points of a CSV file (columns x and y) drawn by plot() into a PNG file of
# 700 by 650 pixels (about a chart window's plot) and into a PDF file; prints
# the seconds of each and the PDF's size in bytes.
#
#   Rscript bench/charts_plot.R POINTS.csv OUT.png OUT.pdf
args <- commandArgs(trailingOnly = TRUE)
d <- read.csv(args[1])
png_time <- system.time({
  png(args[2], width = 700, height = 650)
  plot(d$x, d$y)
  dev.off()
})[["elapsed"]]
pdf_time <- system.time({
  pdf(args[3])
  plot(d$x, d$y)
  dev.off()
})[["elapsed"]]
cat(sprintf("png %.3f pdf %.3f %d\n", png_time, pdf_time, file.size(args[3])))
