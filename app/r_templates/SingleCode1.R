FILESEL <- "SC1"   # the tag in the names of this template's outputs
# KVE R template: observed against predicted values of one dataset.
#
# KVE writes the dataset beside the R script file as <name>.CSV, seven
# columns without a header (X predicted, SD X, Y observed, SD Y, rank X,
# rank Y, exclude mark), copies this template to <name>.R and runs
#     Rscript <name>.R <picture type>
# with the picture type BMP, JPG or PNG. Afterwards it opens the files
# <name>_<tag>_text*.TXT and <name>_<tag>_graph*.<type>, where <tag> is the
# quoted text of the first line (the first line that holds the word
# FILESEL names the tag). Copy this file under another
# SingleCode*.R name and change the tag to keep the outputs apart.

args <- commandArgs(trailingOnly = FALSE)
script <- sub("^--file=", "", args[grep("^--file=", args)][1])
script <- gsub("~+~", " ", script, fixed = TRUE)   # R's front end passes blanks so
base <- sub("\\.[Rr]$", "", script)
type <- toupper(commandArgs(trailingOnly = TRUE)[1])
if (is.na(type) || !(type %in% c("BMP", "JPG", "PNG"))) type <- "PNG"
output <- function(kind, extension) paste0(base, "_", FILESEL, "_", kind, "1.", extension)

cells <- read.csv(paste0(base, ".CSV"), header = FALSE, colClasses = "character",
                  col.names = c("X", "SDX", "Y", "SDY", "RankX", "RankY", "Exclude"))
x <- suppressWarnings(as.numeric(cells$X))
y <- suppressWarnings(as.numeric(cells$Y))
excluded <- toupper(substr(cells$Exclude, 1, 1)) == "Y"
used <- !is.na(x) & !is.na(y) & !excluded
x <- x[used]
y <- y[used]
n <- length(x)
cat("Data points used:", n, "\n")

report <- c(sprintf("Data points used: %d (excluded: %d)", n, sum(excluded, na.rm = TRUE)), "")
if (n >= 3) {
    d <- y - x
    fit <- lm(y ~ x)
    report <- c(report,
                sprintf("Mean predicted (X):        %.6g", mean(x)),
                sprintf("Mean observed (Y):         %.6g", mean(y)),
                sprintf("Mean bias (Y - X):         %.6g", mean(d)),
                sprintf("Root mean squared error:   %.6g", sqrt(mean(d^2))),
                sprintf("Mean absolute error:       %.6g", mean(abs(d))),
                sprintf("Modelling efficiency:      %.6g", 1 - sum(d^2) / sum((y - mean(y))^2)),
                sprintf("Pearson's r:               %.6g", cor(x, y)),
                "",
                "Least-squares line Y = a + b X:",
                capture.output(print(summary(fit)$coefficients, digits = 6)))
} else {
    report <- c(report, "At least 3 data points are needed for the statistics.")
}
writeLines(report, output("text", "TXT"))

# The devices read "%" in a file name as the place of the page number;
# written twice it stands for itself, so any dataset name is taken whole.
picture <- gsub("%", "%%", output("graph", type), fixed = TRUE)
switch(type,
       BMP = bmp(picture, width = 600, height = 600),
       JPG = jpeg(picture, width = 600, height = 600, quality = 90),
       PNG = png(picture, width = 600, height = 600))
limits <- range(c(x, y, 0), finite = TRUE)
plot(x, y, xlim = limits, ylim = limits, pch = 19, col = "darkblue",
     xlab = "Predicted (X)", ylab = "Observed (Y)", main = "Observed against predicted")
abline(0, 1, lty = 2)
if (n >= 3) abline(lm(y ~ x), col = "red")
invisible(dev.off())
